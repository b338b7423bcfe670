#pragma once
// Output of the command-line jobs: one line in the terminal's encoding, flushed
// at once so that stdout and stderr keep their order.
#include <QString>
#include <cstdio>

inline void PrintLine(std::FILE* f, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fputc('\n', f);
    std::fflush(f);
}

// One command-line argument, "--name=value" split into name and value.
struct TCommandArg {
    QString Name;
    QString Value;
    bool HasValue = false;
};

inline TCommandArg SplitCommandArg(const char* arg) {
    TCommandArg a{QString::fromLocal8Bit(arg), {}, false};
    const qsizetype eq = a.Name.indexOf(QLatin1Char('='));
    if (a.Name.startsWith(QStringLiteral("--")) && eq > 0) {
        a.Value = a.Name.mid(eq + 1);
        a.Name.truncate(eq);
        a.HasValue = true;
    }
    return a;
}
