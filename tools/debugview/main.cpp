// veltra-debugview: receives the debug messages of the Veltra libraries over a
// local socket and lists them in a window, or prints them with --console.
#include "DebugViewServer.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
const char* kUsage =
    "Aufruf: veltra-debugview [--console]\n"
    "\n"
    "Zeigt die Debug-Meldungen der Veltra-Bibliotheken (z.B. die SQL-Anweisung\n"
    "des EQ10-Exports) in einem Fenster an.\n"
    "\n"
    "  --console   Meldungen auf die Standardausgabe schreiben statt in ein Fenster\n"
    "  --help      diese Hilfe\n"
    "\n"
    "Der Name des lokalen Sockets kommt aus VELTRA_DEBUGVIEW_NAME, sonst einer je Benutzer.\n";

QString kindText(TDebugMsgKind kind) {
    switch (kind) {
    case TDebugMsgKind::Warning: return QStringLiteral("Warnung");
    case TDebugMsgKind::Error: return QStringLiteral("Fehler");
    case TDebugMsgKind::Information: break;
    }
    return QStringLiteral("Info");
}

class TDebugViewWindow : public QMainWindow {
public:
    explicit TDebugViewWindow(const QString& serverName) {
        setWindowTitle(QStringLiteral("Veltra Debug-Fenster"));
        FList = new QTreeWidget(this);
        FList->setHeaderLabels({QStringLiteral("Zeit"), QStringLiteral("Art"), QStringLiteral("Herkunft"),
                                QStringLiteral("Meldung")});
        FList->setRootIsDecorated(false);
        FList->setUniformRowHeights(false);
        FList->setWordWrap(true);
        FList->header()->setStretchLastSection(true);
        setCentralWidget(FList);
        QToolBar* bar = addToolBar(QStringLiteral("Meldungen"));
        QAction* clear = bar->addAction(QStringLiteral("&Leeren"));
        connect(clear, &QAction::triggered, FList, &QTreeWidget::clear);
        statusBar()->showMessage(QStringLiteral("Wartet auf Meldungen (%1)").arg(serverName));
        resize(800, 400);
    }

    void Add(const TDebugMessage& msg) {
        auto* item = new QTreeWidgetItem(FList, {QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz")),
                                                 kindText(msg.Kind), msg.Sender, msg.Text});
        item->setToolTip(3, msg.Text);
        FList->scrollToItem(item);
        for (int c = 0; c < 3; ++c) FList->resizeColumnToContents(c);
    }

private:
    QTreeWidget* FList = nullptr;
};
}  // namespace

int main(int argc, char** argv) {
    bool console = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--console")) {
            console = true;
            continue;
        }
        std::fprintf(stderr, "Unbekannte Option \"%s\".\n\n%s", argv[i], kUsage);
        return 2;
    }

    std::unique_ptr<QCoreApplication> app;
    if (console) app = std::make_unique<QCoreApplication>(argc, argv);
    else app = std::make_unique<QApplication>(argc, argv);

    TDebugViewServer server;
    QString error;
    if (!server.Listen(&error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }

    std::unique_ptr<TDebugViewWindow> window;
    if (console) {
        QObject::connect(&server, &TDebugViewServer::MessageReceived, [](const TDebugMessage& msg) {
            const QString line = QStringLiteral("%1 %2 %3: %4\n")
                                     .arg(QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz")),
                                          kindText(msg.Kind), msg.Sender, msg.Text);
            std::fputs(line.toLocal8Bit().constData(), stdout);
            std::fflush(stdout);
        });
        std::fprintf(stdout, "Wartet auf Meldungen (%s)\n", server.ServerName().toLocal8Bit().constData());
        std::fflush(stdout);
    } else {
        window = std::make_unique<TDebugViewWindow>(server.ServerName());
        QObject::connect(&server, &TDebugViewServer::MessageReceived, window.get(), &TDebugViewWindow::Add);
        window->show();
    }
    return app->exec();
}
