#pragma once

#include "core/hostlink/IHostTrace.h"
#include "platform/SingleInstanceLock.h"
#include "ui/app/QtDisplayInfo.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qx44 {

// The program's whole life, as the station lives it: one copy per settings file, the station
// fonts, no pointer, the boot screen, then the terminal until the process is ended.
class CQX44SimApp {
public:
    struct Options {
        bool windowed = false;
        // The settings file named on the command line or in the environment; empty for the
        // default one beside the program.
        std::string settingsFile;
        // --control PORT (0: a free one), over the settings' Control/Port.
        std::optional<int> controlPort;
        // --http PORT, over the settings' Http/Port.
        std::optional<int> httpPort;
        // --port PORT (0: a free one), over the settings' Net/PortNum.
        std::optional<std::uint16_t> hostPort;
        // --quick-start: no boot screen.
        bool quickStart = false;
        // Where every host session is traced (`--trace`); none when null.
        IHostTrace* trace = nullptr;
    };

    ~CQX44SimApp();

    // Runs the event loop; returns the exit status. A second copy returns 0 at once.
    int Run(const Options& options);

    // True when another copy on the same settings file runs; this one then must end.
    bool IsAlreadyRunning(const std::string& settingsFile);

private:
    SingleInstanceLock lock_;
    QtDisplayInfo display_;
};

} // namespace qx44
