// The timetable of the demo installation.
#include "DemoSchool.h"
#include "TestSupport.h"
#include "Wpdb.h"
#include "uOptions.h"
#include "uPlandatei.h"
#include "uStdPlan.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
// Every class's week as the line export writes it.
QByteArray classLines(const QString& planFile) {
    SetCurrentPlanFile(std::make_unique<TWplFile>(planFile, 1));
    EXPECT_EQ(CurrentPlanFile()->Status(), 0);
    LoadAllKuerzel();
    const QString out = tempDir() + "/demoplan_lines.txt";
    {
        TTextFile f(out);
        for (int i = FirstKuerzel(kla); !IsFreeKuerzel(i); i = NextKuerzel(i)) {
            TStdPlan p;
            p.Load(i);
            p.SaveToFile(f, 0);
        }
        f.CloseFile();
    }
    return readFile(out);
}
}  // namespace

TEST(DemoPlan, AWeekWithoutClashesForEveryClassSameForTheSameSeed) {
    ResetVeltraplanOptions();
    const QString a = tempDir() + "/demoplanA", b = tempDir() + "/demoplanB";
    QDir(a).removeRecursively();
    QDir(b).removeRecursively();
    const TDemoInstallation ia = InstallDemo(a, {3, 120}, true);
    InstallDemo(b, {3, 120}, true);
    ASSERT_TRUE(QFileInfo::exists(ia.PlanFile));

    const QByteArray linesA = classLines(ia.PlanFile);
    EXPECT_EQ(CurrentPlanFile()->FileVersion(), 30);
    EXPECT_EQ(CurrentPlanFile()->Schuldaten().Schulnummer, DemoSchulnr);
    QStringList classes;
    for (int i = FirstKuerzel(kla); !IsFreeKuerzel(i); i = NextKuerzel(i)) classes << KuerzelName(i);
    QStringList expected = ia.Summary.Classes;
    expected.sort();
    EXPECT_EQ(classes, expected);
    EXPECT_GT(KueCount[leh], 20);
    EXPECT_GT(KueCount[fac], 10);

    // Each lesson of a class appears in its teacher's and its room's plan at the same time.
    int lessons = 0;
    for (int k = FirstKuerzel(kla); !IsFreeKuerzel(k); k = NextKuerzel(k)) {
        TStdPlan kp;
        kp.Load(k);
        int ofClass = 0;
        for (int d = 1; d <= 5; ++d)
            for (int p = 1; p <= 8; ++p) {
                const TPlanCell& c = kp.cell(p, d);
                if (IsFreeKuerzel(c.partner[0])) continue;
                ++ofClass;
                TStdPlan lp, rp;
                lp.Load(c.partner[0]);
                rp.Load(c.partner[2]);
                EXPECT_EQ(lp.cell(p, d).partner[0], k);
                EXPECT_EQ(rp.cell(p, d).partner[1], k);
            }
        EXPECT_GE(ofClass, 25) << KuerzelName(k).toStdString();
        lessons += ofClass;
    }
    EXPECT_GT(lessons, 25 * classes.size() - 1);

    EXPECT_EQ(classLines(DemoInstallationIn(b).PlanFile), linesA);
    SetCurrentPlanFile(nullptr);
}
