#include "platform/eventwait.h"

#include <QEventLoop>
#include <QTimer>

namespace vexal {

void waitProcessingEvents(int ms) {
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace vexal
