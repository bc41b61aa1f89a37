// One-line traces on stderr when VEXAL_TRACE=1: system message lines, notices, window messages.
#pragma once

#include <QString>

namespace vexal {

bool traceEnabled();
// Prints "trace: <kind>: <text>".
void trace(const char* kind, const QString& text);

}  // namespace vexal
