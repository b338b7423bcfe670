#pragma once
// Debug strings of the libraries: written to stderr when VELTRA_DEBUG is set,
// otherwise dropped, like OutputDebugString without a debugger attached.
#include <QString>

void OutputDebugString(const QString& text);
bool DebugOutputEnabled();
