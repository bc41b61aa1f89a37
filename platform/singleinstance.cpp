#include "platform/singleinstance.h"

namespace vexal {

SingleInstance::SingleInstance(const QString& runtime)
    : m_lock(std::make_unique<QLockFile>(runtime + QStringLiteral("/vexal.lock"))) {
    // Age never makes the lock stale; only a holder that is no longer running does.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire() { return m_lock->isLocked() || m_lock->tryLock(0); }

}  // namespace vexal
