#include "DebugOutput.h"

#include <cstdio>
#include <cstdlib>

bool DebugOutputEnabled() {
    const char* v = std::getenv("VELTRA_DEBUG");
    return v && *v;
}

void OutputDebugString(const QString& text) {
    if (!DebugOutputEnabled()) return;
    const QByteArray line = text.toUtf8();
    std::fprintf(stderr, "[veltra] %s\n", line.constData());
    std::fflush(stderr);
}
