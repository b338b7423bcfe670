// The statement trace: the socket to veltra-debugview, starting the viewer once,
// and the viewer's own robustness.
#include "DebugWindow.h"
#include "Registry.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
const QString kViewer = QString(VELTRA_BIN_DIR) + "/veltra-debugview";

class DebugWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        freshRegistry();
        ResetDebugWindowState();
        name = tempDir() + "/dv_" + QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
        qputenv("VELTRA_DEBUGVIEW_NAME", QFile::encodeName(name));
    }
    void TearDown() override {
        if (const qint64 pid = StartedDebugViewerPid()) ::kill(pid_t(pid), SIGTERM);
        ResetDebugWindowState();
    }

    static void setViewerPath(const QString& path) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Software\\GExperts\\Debug", true));
        reg.WriteString("FilePath", path);
    }

    // A program for the registry that runs the console viewer into a log file.
    QString consoleViewerScript(const QString& log) {
        const QString script = tempDir() + "/viewer_" + QFileInfo(name).fileName() + ".sh";
        writeFile(script, ("#!/bin/sh\nexec '" + kViewer + "' --console >> '" + log + "' 2>&1\n").toUtf8());
        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
        return script;
    }

    static bool waitFor(const std::function<bool()>& cond, int ms = 5000) {
        QDeadlineTimer deadline(ms);
        while (!cond()) {
            if (deadline.hasExpired()) return false;
            QThread::msleep(20);
        }
        return true;
    }

    bool viewerAnswers() const {
        QLocalSocket s;
        s.connectToServer(name);
        return s.waitForConnected(300);
    }

    QString name;
};

struct ConsoleViewer {
    QProcess p;
    QString out;
    explicit ConsoleViewer(const QString& name) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELTRA_DEBUGVIEW_NAME", name);
        p.setProcessEnvironment(env);
        p.start(kViewer, {"--console"});
    }
    bool waitForOutput(const QString& text, int ms = 5000) {
        QDeadlineTimer deadline(ms);
        while (!out.contains(text) && !deadline.hasExpired()) {
            p.waitForReadyRead(50);
            out += QString::fromLocal8Bit(p.readAllStandardOutput());
        }
        return out.contains(text);
    }
    ~ConsoleViewer() {
        p.kill();
        p.waitForFinished(3000);
    }
};

TEST_F(DebugWindowTest, RunningViewerPrintsEachMessage) {
    ConsoleViewer viewer(name);
    ASSERT_TRUE(viewer.waitForOutput("Wartet auf Meldungen"));
    SendToDebugWindow("SELECT S.ID FROM Schueler S WHERE S.Status=2");
    SendToDebugWindow(QString::fromUtf8("zweite Meldung mit Ümlaut"));
    EXPECT_TRUE(viewer.waitForOutput(QString::fromUtf8("zweite Meldung mit Ümlaut"))) << viewer.out.toStdString();
    EXPECT_TRUE(viewer.out.contains("Info test_debugwindow: SELECT S.ID FROM Schueler S WHERE S.Status=2\n"));
    EXPECT_EQ(StartedDebugViewerPid(), 0);

    // Garbage from a stranger ends that connection only.
    QLocalSocket stranger;
    stranger.connectToServer(name);
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write(QByteArray(64, '\xff'));
    stranger.waitForBytesWritten(1000);
    SendToDebugWindow("nach dem Unsinn");
    EXPECT_TRUE(viewer.waitForOutput("nach dem Unsinn"));

    // A second viewer under the same name refuses to start.
    ConsoleViewer second(name);
    ASSERT_TRUE(second.p.waitForFinished(5000));
    EXPECT_EQ(second.p.exitCode(), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(second.p.readAllStandardError()).contains("Es läuft bereits ein Debug-Fenster"));
}

TEST_F(DebugWindowTest, ViewerFromTheRegistryIsStartedAndGetsTheMessage) {
    const QString log = tempDir() + "/started.log";
    setViewerPath(consoleViewerScript(log));
    SendToDebugWindow("erste Anweisung");
    ASSERT_NE(StartedDebugViewerPid(), 0);
    EXPECT_TRUE(waitFor([&] { return readFile(log).contains("erste Anweisung"); })) << readFile(log).toStdString();
}

TEST_F(DebugWindowTest, FailedStartIsNotTriedAgainAndNeverRaises) {
    setViewerPath(tempDir() + "/gibt-es-nicht");
    QElapsedTimer t;
    t.start();
    SendToDebugWindow("verworfen");
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(StartedDebugViewerPid(), 0);

    // Now a viewer could be started, but this library already gave up.
    setViewerPath(consoleViewerScript(tempDir() + "/never.log"));
    SendToDebugWindow("wieder verworfen");
    EXPECT_EQ(StartedDebugViewerPid(), 0);
    EXPECT_FALSE(viewerAnswers());
}

TEST_F(DebugWindowTest, ProgramThatNeverAnswersCountsAsFailedStart) {
    setViewerPath("/bin/true");
    SendToDebugWindow("verworfen");
    const qint64 first = StartedDebugViewerPid();
    EXPECT_NE(first, 0);
    SendToDebugWindow("wieder verworfen");
    EXPECT_EQ(StartedDebugViewerPid(), first);
}
}  // namespace
