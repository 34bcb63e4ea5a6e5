#include "platform/PseudoTerminalPort.h"

#include "core/hostlink/CSerialException.h"
#include "platform/TermiosSerialDevice.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>

namespace qx44 {

namespace {

[[noreturn]] void ThrowErrno() {
    throw CSerialException(errno);
}

// The station's end: the master side, opened and set up as any termios port (line settings on
// the master reach the slave's line).
class MasterEnd : public TermiosSerialDevice {
public:
    explicit MasterEnd(int master) : master_(master) {}

protected:
    UniqueFd OpenDescriptor(int) override { return UniqueFd(::fcntl(master_, F_DUPFD_CLOEXEC, 0)); }

private:
    int master_;
};

} // namespace

PseudoTerminalPort::PseudoTerminalPort() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (!master_.Valid() || ::grantpt(master_.Get()) != 0 || ::unlockpt(master_.Get()) != 0) {
        ThrowErrno();
    }
    char path[PATH_MAX];
    if (::ptsname_r(master_.Get(), path, sizeof path) != 0) {
        ThrowErrno();
    }
    slavePath_ = path;
    slave_ = UniqueFd(::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC));
    // Raw from the start: a slave line that echoed would hand the station its own bytes back.
    termios tio{};
    if (!slave_.Valid() || ::tcgetattr(slave_.Get(), &tio) != 0) {
        ThrowErrno();
    }
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave_.Get(), TCSANOW, &tio) != 0) {
        ThrowErrno();
    }
}

std::unique_ptr<ISerialDevice> PseudoTerminalPort::MakeStationEnd() {
    return std::make_unique<MasterEnd>(master_.Get());
}

} // namespace qx44
