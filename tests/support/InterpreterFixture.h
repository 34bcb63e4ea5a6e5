#pragma once

#include "core/common/CancelToken.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/station/Station.h"
#include "support/Bytes.h"
#include "support/RecordingBeeper.h"
#include "support/RecordingHost.h"
#include "support/TestUiThread.h"

#include <gtest/gtest.h>
#include <memory>

namespace qx44::test {

// A station whose interpreter speaks to a recording host and beeper, over the serial devices a
// test gives it; the receipt printer is mapped to COM3. Built on first use, so the test can
// prepare the settings and devices first.
class InterpreterFixture : public ::testing::Test {
public:
    static constexpr int kPrinterCom = 3;

protected:
    virtual ISerialDeviceFactory& Devices() = 0;

    // The interpreter closes its ports through the test's devices, which go before this base's
    // members do: it must go first.
    void TearDown() override { station_.reset(); }

    Station& TheStation() {
        if (!station_) {
            station_ = std::make_unique<Station>(StationConfig{.ui = ui,
                                                               .beeper = beeper,
                                                               .listener = listener,
                                                               .serialPorts = &Devices(),
                                                               .host = &host});
            station_->Interpreter().SetPrinterPortNumber(kPrinterCom);
        }
        return *station_;
    }
    CVantorCmd& Cmd() { return TheStation().Interpreter(); }
    CConsoleWin& Screen() { return TheStation().TextScreen(); }
    CVantorBar& Bar() { return TheStation().StatusLine(); }
    void Run(const Bytes& message) {
        Cmd().DispatchHostMessage(message[1], message[2], message, closing);
    }

    CancelToken closing;
    RecordingHost host;
    RecordingBeeper beeper;

private:
    TestUiThread ui;
    IStationListener listener;
    std::unique_ptr<Station> station_;
};

} // namespace qx44::test
