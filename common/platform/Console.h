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
