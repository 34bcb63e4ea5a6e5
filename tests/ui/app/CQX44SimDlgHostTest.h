#pragma once

#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/FreePort.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "ui/app/CQX44SimDlg.h"

#include <QKeyEvent>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace qx44 {

// The terminal as it runs, with a real host on 127.0.0.1 and the offscreen platform.
class CQX44SimDlgHostTest : public ::testing::Test {
protected:
    // `ports` is the [Ports] section's lines; by default COM1 and COM2 are absent devices.
    explicit CQX44SimDlgHostTest(std::string moreSettings = {}, std::string ports = {})
        : moreSettings_(std::move(moreSettings)), ports_(std::move(ports)) {
        uitest::EnsureApplication();
        if (ports_.empty()) {
            ports_ = "COM1=" + dir.File("none1") + "\nCOM2=" + dir.File("none2") + "\n";
        }
        Start();
    }
    ~CQX44SimDlgHostTest() override {
        window.reset();
        CQX44Setting::SetFilePathOverride({});
    }

    // A fresh start of the terminal, on a port of its own, with the same settings otherwise.
    void Restart() {
        window.reset();
        port = test::FreePort();
        Start();
    }

    std::unique_ptr<test::TcpTestClient> Connect() {
        auto host = std::make_unique<test::TcpTestClient>(port);
        EXPECT_TRUE(uitest::WaitUntil([&] { return window->Link().HasHost(); }));
        return host;
    }

    // Runs the event loop (timer 1 sends) until the host has `count` bytes or time is up.
    test::Bytes Receive(test::TcpTestClient& host, std::size_t count, int timeoutMs = 5000) {
        test::Bytes received;
        uitest::WaitUntil(
            [&] {
                const test::Bytes more =
                    host.Receive(count - received.size(), std::chrono::milliseconds(1));
                received.insert(received.end(), more.begin(), more.end());
                return received.size() >= count;
            },
            timeoutMs);
        return received;
    }

    std::string Row(int row) {
        return ScreenDump::Text(window->TextScreen().Snapshot(), 24, row, 33, 1);
    }

    void Key(QEvent::Type type, int evdev, int qtKey, Qt::KeyboardModifiers modifiers = {},
             bool autoRepeat = false) {
        QKeyEvent event(type, qtKey, modifiers, static_cast<quint32>(evdev + 8), 0, 0, {},
                        autoRepeat);
        QApplication::sendEvent(window.get(), &event);
    }

    // A key held down as X11 and Wayland report it: each repeat is a release and a press.
    void HoldKey(int evdev, int qtKey, int repeats) {
        Key(QEvent::KeyPress, evdev, qtKey);
        for (int i = 0; i < repeats; ++i) {
            Key(QEvent::KeyRelease, evdev, qtKey, {}, true);
            Key(QEvent::KeyPress, evdev, qtKey, {}, true);
        }
        Key(QEvent::KeyRelease, evdev, qtKey);
    }

    // Station key bytes of the key messages a host received.
    static std::string KeyBytes(const test::Bytes& messages) {
        test::Bytes keys;
        for (std::size_t i = 3; i < messages.size(); i += 5) {
            keys.push_back(messages[i]);
        }
        return test::Hex(keys);
    }

    test::TempDir dir;
    std::uint16_t port = test::FreePort();
    std::unique_ptr<CQX44SimDlg> window;

private:
    void Start() {
        test::TempDir::WriteText(dir.File("setting.txt"), "[Net]\nPortNum=" + std::to_string(port) +
                                                              "\n[Main]\nBeeping=0\n" +
                                                              moreSettings_ + "[Ports]\n" + ports_);
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
        window = std::make_unique<CQX44SimDlg>();
        window->resize(1024, 768);
        window->show();
        window->Initialise();
    }

    std::string moreSettings_;
    std::string ports_;
};

} // namespace qx44
