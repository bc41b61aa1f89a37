// The one-table-per-user rule: a lock file in the runtime folder.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace vexal {

class SingleInstance {
public:
    explicit SingleInstance(const QString& runtime);
    // False when another live process holds the lock; a lock left by a dead process is taken over.
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};

}  // namespace vexal
