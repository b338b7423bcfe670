// The host's own commands around its databases.
#include "Database.h"
#include "DemoSchool.h"
#include "HostCommands.h"
#include "HostDbCommands.h"
#include "HostWindow.h"
#include "Registry.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <vector>

namespace {
// Points the host window's fields at an installation, so `./run demo` opens
// the host ready to use.
void fillHostFields(const TDemoInstallation& inst) {
    TRegistry reg;
    if (!reg.OpenKey(THostWindow::RegistryKey(), true)) return;
    reg.WriteString(QStringLiteral("Datenbank"), inst.HostConnectionString);
    reg.WriteString(QStringLiteral("InterneDatenbank"), inst.InternConnectionString);
    reg.WriteString(QStringLiteral("Gruppenverzeichnis"), QDir::toNativeSeparators(inst.GroupDir));
    reg.WriteInteger(QStringLiteral("Schulnummer"), inst.Schulnr);
    if (QFileInfo::exists(inst.PlanFile)) reg.WriteString(QStringLiteral("Plandatei"), QDir::toNativeSeparators(inst.PlanFile));
    if (reg.ReadString(QStringLiteral("Klasse")).isEmpty()) {
        // The first visible class of the school, as the conference would offer it.
        TADOConnection con(inst.HostConnectionString);
        con.Open();
        TADOQuery q(&con);
        q.SetSQL(QStringLiteral("SELECT Klasse FROM Versetzung WHERE SchulnrEigner = :Schulnr ORDER BY Klasse"));
        q.ParamByName(QStringLiteral("Schulnr")).SetValue(inst.Schulnr);
        q.Open();
        if (!q.Eof()) reg.WriteString(QStringLiteral("Klasse"), q.FieldByName(QStringLiteral("Klasse")).AsString());
    }
}

int runDemo(int argc, char** argv) {
    std::vector<char*> args;
    bool host = false;
    QString dir = QStringLiteral("demo");
    for (int i = 0; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--host")) {
            host = true;
            continue;
        }
        if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) dir = QString::fromLocal8Bit(argv[i + 1]);
        args.push_back(argv[i]);
    }
    const int rc = RunDemoCommand(int(args.size()), args.data());
    if (rc == 0 && host) {
        fillHostFields(DemoInstallationIn(dir));
    }
    return rc;
}
}  // namespace

VELTRA_HOST_COMMAND(db, "db", "Datenbank anlegen: veltra db init --db VERBINDUNG [--intern VERBINDUNG]", RunDbCommand);
VELTRA_HOST_COMMAND(demo, "demo", "Demo-Installation (Gesamtschule) schreiben und den Host darauf einstellen", runDemo);
