#pragma once

#include "core/common/CancelToken.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "support/Bytes.h"
#include "support/RecordingBeeper.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>
#include <memory>

namespace qx44::test {

// The interpreter with its screens, a recording host and beeper, over the serial devices a test
// gives it; the receipt printer is mapped to COM3. Built on first use, so the test can prepare
// the settings and devices first.
class InterpreterFixture : public ::testing::Test {
public:
    static constexpr int kPrinterCom = 3;

protected:
    virtual ISerialDeviceFactory& Devices() = 0;

    // The interpreter closes its ports through the test's devices, which go before this base's
    // members do: it must go first.
    void TearDown() override { cmd_.reset(); }

    CVantorCmd& Cmd() {
        if (!cmd_) {
            cmd_ = std::make_unique<CVantorCmd>(screen, bar, host, Devices(), beeper);
            cmd_->SetPrinterPortNumber(kPrinterCom);
        }
        return *cmd_;
    }
    void Run(const Bytes& message) {
        Cmd().DispatchHostMessage(message[1], message[2], message, closing);
    }

    CancelToken closing;
    CConsoleWin screen;
    CVantorBar bar;
    RecordingHost host;
    RecordingBeeper beeper;

private:
    std::unique_ptr<CVantorCmd> cmd_;
};

} // namespace qx44::test
