#include "platform/trace.h"

#include <QByteArray>
#include <cstdio>

namespace vexal {

bool traceEnabled() {
    static const bool enabled = qEnvironmentVariable("VEXAL_TRACE") == QLatin1String("1");
    return enabled;
}

void trace(const char* kind, const QString& text) {
    if (!traceEnabled())
        return;
    const QByteArray line = QByteArray("trace: ") + kind + ": " + text.toUtf8() + "\n";
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

}  // namespace vexal
