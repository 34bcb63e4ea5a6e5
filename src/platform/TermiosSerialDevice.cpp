#include "platform/TermiosSerialDevice.h"

#include "core/hostlink/CSerialException.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qx44 {

namespace {

using Clock = std::chrono::steady_clock;

struct BaudRate {
    int baud;
    speed_t speed;
};

constexpr BaudRate kBaudRates[] = {
    {110, B110},     {300, B300},     {600, B600},       {1200, B1200},
    {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200},
};

std::optional<speed_t> SpeedFor(int baud) {
    const auto* found = std::find_if(std::begin(kBaudRates), std::end(kBaudRates),
                                     [baud](const BaudRate& rate) { return rate.baud == baud; });
    if (found == std::end(kBaudRates)) {
        return std::nullopt;
    }
    return found->speed;
}

std::optional<tcflag_t> CharacterSize(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    case 8:
        return CS8;
    default:
        return std::nullopt;
    }
}

std::optional<tcflag_t> ParityFlags(SerialParity parity) {
    switch (parity) {
    case SerialParity::None:
        return tcflag_t{0};
    case SerialParity::Odd:
        return tcflag_t{PARENB | PARODD};
    case SerialParity::Even:
        return tcflag_t{PARENB};
    }
    return std::nullopt;
}

std::optional<tcflag_t> StopBitFlags(SerialStopBits stopBits) {
    switch (stopBits) {
    case SerialStopBits::One:
        return tcflag_t{0};
    case SerialStopBits::Two:
        return tcflag_t{CSTOPB};
    }
    return std::nullopt;
}

std::optional<tcflag_t> FlowFlags(SerialFlow flow) {
    switch (flow) {
    case SerialFlow::None:
        return tcflag_t{0};
    case SerialFlow::Hardware:
        return tcflag_t{CRTSCTS};
    }
    return std::nullopt;
}

[[noreturn]] void ThrowErrno() {
    throw CSerialException(errno);
}

void SetNonBlocking(int fd, bool nonBlocking) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) {
        ThrowErrno();
    }
    const int wanted = nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    if (wanted != flags && ::fcntl(fd, F_SETFL, wanted) != 0) {
        ThrowErrno();
    }
}

// A blocking tty write waits until every byte is queued, however long that takes; inside a write
// the descriptor is non-blocking, so a device that stops taking data (a printer holding CTS low, a
// pseudo-terminal nobody reads) gives EAGAIN and poll() bounds the wait by the write timeout.
class NonBlockingScope {
public:
    explicit NonBlockingScope(int fd) : fd_(fd) { SetNonBlocking(fd_, true); }
    NonBlockingScope(const NonBlockingScope&) = delete;
    NonBlockingScope& operator=(const NonBlockingScope&) = delete;
    ~NonBlockingScope() {
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags >= 0) {
            ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
        }
    }

private:
    int fd_;
};

// Rounded up, so a wait never ends just before its deadline and loops once more for nothing.
int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INT_MAX));
}

int MillisecondsOf(std::chrono::milliseconds duration) {
    return static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(duration.count(), 0, INT_MAX));
}

// The events the device reports (a hang-up or an error among them), or 0 when the time ran out.
short WaitFor(int fd, short events, int timeoutMs) {
    pollfd ready{fd, events, 0};
    int result = 0;
    do {
        result = ::poll(&ready, 1, timeoutMs);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        ThrowErrno();
    }
    return result > 0 ? ready.revents : 0;
}

} // namespace

int ApplyLineSettings(const SerialLineSettings& line, termios& tio) {
    const auto speed = SpeedFor(line.baud);
    const auto size = CharacterSize(line.dataBits);
    const auto parity = ParityFlags(line.parity);
    const auto stopBits = StopBitFlags(line.stopBits);
    const auto flow = FlowFlags(line.flow);
    if (!speed || !size || !parity || !stopBits || !flow) {
        return EINVAL;
    }
    termios result = tio;
    ::cfmakeraw(&result);
    ::cfsetispeed(&result, *speed);
    ::cfsetospeed(&result, *speed);
    result.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    // CLOCAL: the modem lines neither gate the port nor hang it up, as with DSR sensitivity off.
    result.c_cflag |= *size | *parity | *stopBits | *flow | CLOCAL | CREAD;
    result.c_iflag &= ~(IXON | IXOFF | IXANY);
    result.c_cc[VMIN] = 0;
    result.c_cc[VTIME] = 0;
    tio = result;
    return 0;
}

std::string TermiosSerialDevice::DevicePath(int port) {
    std::string mapped = CQX44Setting().ReadString("Ports", "COM" + std::to_string(port), "");
    if (!mapped.empty()) {
        return mapped;
    }
    return "/dev/ttyS" + std::to_string(static_cast<long long>(port) - 1);
}

void TermiosSerialDevice::Open(int port, const SerialLineSettings& line) {
    Close();
    UniqueFd fd = OpenDescriptor(port);
    if (!fd.Valid()) {
        ThrowErrno();
    }
    // Not shared, as the station's ports are: from now on another open of the device gets EBUSY.
    if (::ioctl(fd.Get(), TIOCEXCL) != 0) {
        ThrowErrno();
    }
    SetNonBlocking(fd.Get(), false);
    fd_ = std::move(fd);

    // From here on a failure leaves the device open with the line settings it had.
    termios tio{};
    if (::tcgetattr(fd_.Get(), &tio) != 0) {
        ThrowErrno();
    }
    if (const int error = ApplyLineSettings(line, tio); error != 0) {
        throw CSerialException(error);
    }
    if (::tcsetattr(fd_.Get(), TCSANOW, &tio) != 0) {
        ThrowErrno();
    }
}

UniqueFd TermiosSerialDevice::OpenDescriptor(int port) {
    // Non-blocking only while opening, so the open does not wait for a modem's carrier.
    return UniqueFd(::open(DevicePath(port).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
}

void TermiosSerialDevice::Close() {
    if (fd_.Valid()) {
        // A device that stopped taking data (a printer off-line) would otherwise hold close()
        // until the kernel gives up draining it, 30 seconds on a serial port.
        ::tcflush(fd_.Get(), TCIOFLUSH);
        // The exclusive hold lasts as long as the tty does, which another process keeping the
        // device open would stretch past our close.
        ::ioctl(fd_.Get(), TIOCNXCL);
    }
    fd_.Reset();
    timeouts_ = {};
}

std::size_t TermiosSerialDevice::Read(std::span<std::uint8_t> buffer) {
    if (buffer.empty()) {
        return 0;
    }
    const auto total = timeouts_.ReadTotal(buffer.size());
    const auto deadline = Clock::now() + total;
    std::size_t got = 0;
    bool reported = false;
    while (got < buffer.size()) {
        const auto rest = buffer.subspan(got);
        const ssize_t n = ::read(fd_.Get(), rest.data(), rest.size());
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            reported = false;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            ThrowErrno();
        }
        // A device that reports input and then has none is hung up (a pseudo-terminal whose
        // master closed, an unplugged adapter): it would only repeat that until the deadline.
        if (reported) {
            throw CSerialException(EIO);
        }
        // Nothing waiting. Before the first byte only the total bound counts; after it the gap to
        // the next byte is bounded too.
        const bool bounded = total.count() > 0;
        int wait = bounded ? MillisecondsUntil(deadline) : 0;
        if (got > 0 && timeouts_.readInterval.count() > 0) {
            const int interval = MillisecondsOf(timeouts_.readInterval);
            wait = bounded ? std::min(wait, interval) : interval;
        }
        if (wait <= 0 || WaitFor(fd_.Get(), POLLIN, wait) == 0) {
            break;
        }
        reported = true;
    }
    return got;
}

std::size_t TermiosSerialDevice::Write(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return 0;
    }
    const auto deadline = Clock::now() + timeouts_.WriteTotal(bytes.size());
    const NonBlockingScope nonBlocking(fd_.Get());
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto rest = bytes.subspan(sent);
        const ssize_t n = ::write(fd_.Get(), rest.data(), rest.size());
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            ThrowErrno();
        }
        const int wait = MillisecondsUntil(deadline);
        if (wait <= 0) {
            break;
        }
        const short events = WaitFor(fd_.Get(), POLLOUT, wait);
        if (events == 0) {
            break;
        }
        // Hung up or failed: room will never come.
        if ((events & POLLOUT) == 0) {
            throw CSerialException(EIO);
        }
    }
    return sent;
}

SerialQueueStatus TermiosSerialDevice::QueryStatus() {
    // A Linux tty keeps no error state that stops it after a line error, so unlike a Windows port
    // there is nothing to clear before asking.
    SerialQueueStatus status;
    int count = 0;
    if (::ioctl(fd_.Get(), FIONREAD, &count) == 0 && count > 0) {
        status.input = static_cast<std::size_t>(count);
    }
    count = 0;
    if (::ioctl(fd_.Get(), TIOCOUTQ, &count) == 0 && count > 0) {
        status.output = static_cast<std::size_t>(count);
    }
    return status;
}

void TermiosSerialDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    if (!fd_.Valid()) {
        throw CSerialException(EBADF);
    }
    timeouts_ = timeouts;
}

} // namespace qx44
