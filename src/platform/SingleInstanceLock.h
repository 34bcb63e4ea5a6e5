#pragma once

#include "core/common/UniqueFd.h"

#include <string>

namespace qx44 {

// One running station per settings file: an exclusive lock on a lock file, held for the life of
// the process and released by the system when it ends, however it ends.
class SingleInstanceLock {
public:
    // The machine-wide lock of a station on its default settings file.
    static constexpr const char* kDefaultPath = "/tmp/QX44SIM.lock";

    // The lock file for a station: the machine-wide one, or for a settings file named on the
    // command line one of its own, so stations with their own settings run side by side.
    static std::string PathFor(const std::string& settingsFile);

    // False when another process holds the lock. A lock file that this user may only read is
    // locked all the same; one that cannot be opened at all counts as no other copy: the
    // station starts rather than refusing to run at all.
    bool TryAcquire(const std::string& path);

private:
    UniqueFd fd_;
};

} // namespace qx44
