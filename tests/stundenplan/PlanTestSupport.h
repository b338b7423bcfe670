#pragma once
// Fixture of the timetable data-layer tests: scripted dialogs, default
// settings, a fixed clock and a fresh file name per test.
#include "Dialogs.h"
#include "Exceptions.h"
#include "TestSupport.h"
#include "Wpdb.h"
#include "uPlanUtils.h"
#include "uPlandatei.h"

#include <QDir>
#include <gtest/gtest.h>

class PlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        setClock(QDateTime(QDate(2015, 3, 5), QTime(14, 7, 9)));
        ResetVeltraplanOptions();
        KueWidth = 10;
        CurrentVariant = 1;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        FPath = testing_support::tempDir() + QStringLiteral("/%1_%2.wpl").arg(info->test_suite_name(), info->name());
        QFile::remove(FPath);
    }
    void TearDown() override {
        SetCurrentPlanFile(nullptr);
        PlanUtils::setClockForTesting({});
    }
    void setClock(const QDateTime& dt) {
        PlanUtils::setClockForTesting([dt] { return dt; });
    }
    // Opens the file as the current plan file and loads the abbreviation index.
    TWplFile* openCurrent(const QString& path) {
        SetCurrentPlanFile(std::make_unique<TWplFile>(path, 1));
        if (CurrentPlanFile()->Status() == 0) LoadAllKuerzel();
        return CurrentPlanFile();
    }
    const QString& path() const { return FPath; }

    FakeDialogs dialogs;

private:
    QString FPath;
};
