#include "ui/app/CQX44SimDlgHostTest.h"

#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/FreePort.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"
#include "support/WorkingDirectory.h"
#include "ui/UiTestSupport.h"
#include "ui/app/CQX44SimDlg.h"
#include "ui/media/CLocalVideoDlg.h"
#include "ui/media/PlayerWindow.h"

#include <QBuffer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using uitest::WaitUntil;

TEST_F(CQX44SimDlgHostTest, InformationBoxWithTheSettingsInForce) {
    EXPECT_EQ(Row(7), "HBK Corvane Pavise QX4400\n");
    EXPECT_EQ(Row(8), "Program Date: 7/30/2009\n");
    EXPECT_EQ(Row(9), "Program version: 1.102\n");
    EXPECT_EQ(Row(10), "Station number: 1\n");
    EXPECT_EQ(Row(11), "Station name: " + CQX44Setting::GetStationName() + "\n");
    EXPECT_EQ(Row(12), "TCP port: " + std::to_string(port) + "\n");
    EXPECT_TRUE(Row(13) == "Ethernet: Connected\n" || Row(13) == "Ethernet: Disonnected\n")
        << Row(13);
    // The dump drops trailing spaces, so an empty address leaves "MacAddress:".
    const std::string mac = "MacAddress: " + CQX44Setting::GetMacAddress();
    EXPECT_EQ(Row(14), mac.substr(0, mac.find_last_not_of(' ') + 1) + "\n");
    EXPECT_NE(window->Indicators().NetworkState(), StatusIndicators::kHostConnected);
}

TEST_F(CQX44SimDlgHostTest, HostAddressUntilTheFirstMessage) {
    const auto networkIcon = [&] {
        const PixelRect at = StatusIndicators::IconRect(window->StatusLine().Layout(),
                                                        StatusIndicators::kNetworkColumn, 1);
        return const_cast<StatusLineView&>(window->StatusView())
            .grab(QRect(at.left, at.top, at.Width(), at.Height()))
            .toImage();
    };
    ASSERT_TRUE(WaitUntil([&] { return !networkIcon().isNull(); }));
    const QImage idleIcon = networkIcon();

    auto first = Connect();
    EXPECT_TRUE(WaitUntil([&] { return Row(13) == "HOST IP:127.0.0.1\n"; })) << Row(13);
    EXPECT_EQ(window->Indicators().NetworkState(), StatusIndicators::kHostConnected);
    EXPECT_TRUE(WaitUntil([&] { return networkIcon() != idleIcon; }))
        << "the network icon shows the connected picture";

    first->Send(Bytes{0x02, 0x01, 0x23, 0x18, 0x0D, 0xD2, 0x00, 0x03, 'x', 'y', 'z', 0x03});
    EXPECT_TRUE(WaitUntil([&] { return Row(13) == "xyzT IP:127.0.0.1\n"; })) << Row(13);
    first->Close();
    EXPECT_TRUE(WaitUntil([&] { return !window->Link().HasHost(); }));
    EXPECT_EQ(window->Indicators().NetworkState(), StatusIndicators::kNetworkIdle);

    auto second = Connect();
    WaitUntil([] { return false; }, 200);
    EXPECT_EQ(Row(13), "xyzT IP:127.0.0.1\n")
        << "after the first message a new host leaves the screen alone";
}

TEST_F(CQX44SimDlgHostTest, ClicksReachTheHostAsCells) {
    auto host = Connect();
    const auto cellCentre = [](const CDosScreen& screen, int column, int row) {
        const PixelRect cell = screen.CellRect(column, row);
        return QPointF((cell.left + cell.right) / 2.0, (cell.top + cell.bottom) / 2.0);
    };
    // The press holds the mouse, so the release comes to the pressed screen wherever it happens.
    const auto click = [](QWidget* target, QPointF at, std::optional<QPointF> releaseAt = {}) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            const QPointF point = type == QEvent::MouseButtonRelease ? releaseAt.value_or(at) : at;
            QMouseEvent event(type, point, target->mapToGlobal(point), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        }
    };
    auto* text = const_cast<ScreenView*>(&window->TextView());
    auto* status = const_cast<StatusLineView*>(&window->StatusView());
    click(text, cellCentre(window->TextScreen(), 10, 5));
    click(status, cellCentre(window->StatusLine(), 3, 0));
    EXPECT_EQ(test::Hex(Receive(*host, 24)), "02 01 2C 0A 05 03 02 01 2D 0A 05 03 "
                                             "02 01 2C 03 FF 03 02 01 2D 03 00 03");

    const QPointF overStatus =
        text->mapFromGlobal(status->mapToGlobal(cellCentre(window->StatusLine(), 7, 0)));
    click(text, cellCentre(window->TextScreen(), 1, 2), overStatus);
    click(text, cellCentre(window->TextScreen(), 1, 3), QPointF(-5, -5));
    EXPECT_EQ(test::Hex(Receive(*host, 18)), "02 01 2C 01 02 03 02 01 2D 07 00 03 "
                                             "02 01 2C 01 03 03");
    EXPECT_TRUE(Receive(*host, 1, 700).empty()) << "a release outside both screens";
}

TEST_F(CQX44SimDlgHostTest, KeysReachTheHostAsStationBytes) {
    auto host = Connect();
    Key(QEvent::KeyPress, 30, Qt::Key_A);
    Key(QEvent::KeyRelease, 30, Qt::Key_A);
    EXPECT_EQ(test::Hex(Receive(*host, 15)), "02 01 11 1C 03 02 01 11 F0 03 02 01 11 1C 03");

    Key(QEvent::KeyPress, 97, Qt::Key_Control, Qt::ControlModifier);
    Key(QEvent::KeyRelease, 97, Qt::Key_Control);
    EXPECT_EQ(test::Hex(Receive(*host, 25)),
              "02 01 11 E0 03 02 01 11 14 03 02 01 11 E0 03 02 01 11 F0 03 02 01 11 14 03");

    Key(QEvent::KeyPress, 56, Qt::Key_Alt, Qt::AltModifier);
    Key(QEvent::KeyPress, 45, Qt::Key_X, Qt::AltModifier);
    Key(QEvent::KeyRelease, 45, Qt::Key_X, Qt::AltModifier);
    Key(QEvent::KeyRelease, 56, Qt::Key_Alt);
    // Three ticks of timer 1 would have sent anything queued.
    EXPECT_TRUE(Receive(*host, 1, 700).empty()) << "Alt and Alt+x belong to the window system";
}

TEST_F(CQX44SimDlgHostTest, AHeldKeyRepeatsItsPressAndIsReleasedOnce) {
    auto host = Connect();
    HoldKey(30, Qt::Key_A, 3);
    EXPECT_EQ(KeyBytes(Receive(*host, 30)), "1C 1C 1C 1C F0 1C");
    HoldKey(5, Qt::Key_4, 3);
    EXPECT_EQ(KeyBytes(Receive(*host, 15)), "25 F0 25") << "a shortcut key stays pending once";
    HoldKey(183, Qt::Key_F13, 0);
    EXPECT_EQ(KeyBytes(Receive(*host, 15)), "08 F0 08") << "F13";
    EXPECT_TRUE(Receive(*host, 1, 700).empty());
}

// Pause pressed while Ctrl is held is the Break key, and its release is Break's too, whichever of
// the two comes up first; a Pause that went down before Ctrl stays Pause.
TEST_F(CQX44SimDlgHostTest, PauseWithCtrlIsBreakFromPressToRelease) {
    auto host = Connect();
    // "+29" presses evdev key 29 (left Ctrl), "*119" is a repeat of Pause, "-119" its release.
    const struct {
        const char* what;
        const char* steps;
        std::string bytes;
    } cases[] = {
        {"Pause", "+119 -119", "77 F0 77"},
        {"Ctrl+Pause, Pause up first", "+29 +119 -119 -29", "14 E0 7E E0 F0 7E F0 14"},
        {"Ctrl+Pause, Ctrl up first", "+29 +119 -29 -119", "14 E0 7E F0 14 E0 F0 7E"},
        {"right Ctrl+Pause, repeating after Ctrl is up", "+97 +119 -97 *119 -119",
         "E0 14 E0 7E E0 F0 14 E0 7E E0 F0 7E"},
        {"Pause, then Ctrl", "+119 +29 -119 -29", "77 14 F0 77 F0 14"},
    };
    for (const auto& c : cases) {
        std::istringstream steps(c.steps);
        for (std::string step; steps >> step;) {
            const int evdev = std::stoi(step.substr(1));
            const bool ctrl = evdev == 29 || evdev == 97;
            Key(step[0] == '-' ? QEvent::KeyRelease : QEvent::KeyPress, evdev,
                ctrl ? Qt::Key_Control : Qt::Key_Pause, {}, step[0] == '*');
        }
        EXPECT_EQ(KeyBytes(Receive(*host, (c.bytes.size() + 1) / 3 * 5)), c.bytes) << c.what;
    }
    EXPECT_TRUE(Receive(*host, 1, 700).empty());
}

// The station repeats every held key. The keys the window system leaves unrepeated, as X leaves
// the modifiers, repeat here at its rate until they come up or another key goes down.
TEST_F(CQX44SimDlgHostTest, HeldModifiersRepeatLikeAnyOtherKey) {
    KeyRepeater::Settings modifiersLeftAlone;
    modifiersLeftAlone.delay = 30ms;
    modifiersLeftAlone.interval = 10ms;
    modifiersLeftAlone.repeatedBySystem.set();
    for (const int evdev : {42, 54, 58}) {
        modifiersLeftAlone.repeatedBySystem.reset(evdev + 8);
    }
    window->Keyboard().SetKeyRepeat(modifiersLeftAlone);
    auto host = Connect();
    // Everything the host gets until nothing more comes, as key bytes.
    const auto keysUntilQuiet = [&] {
        Bytes all;
        for (Bytes more = Receive(*host, 5, 700); !more.empty(); more = Receive(*host, 5, 700)) {
            all.insert(all.end(), more.begin(), more.end());
        }
        return KeyBytes(all);
    };
    // How many presses `keys` starts with; they are taken off.
    const auto pressesOf = [](std::string& keys, const std::string& press) {
        int presses = 0;
        for (; keys.starts_with(press + " "); keys.erase(0, press.size() + 1)) {
            ++presses;
        }
        return presses;
    };
    const struct {
        const char* what;
        int evdev;
        Qt::Key qtKey;
        std::string press;
    } keys[] = {
        {"left Shift", 42, Qt::Key_Shift, "12"},
        {"right Shift", 54, Qt::Key_Shift, "59"},
        {"Caps Lock", 58, Qt::Key_CapsLock, "58"},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.what);
        Key(QEvent::KeyPress, k.evdev, k.qtKey);
        EXPECT_EQ(KeyBytes(Receive(*host, 15)), k.press + " " + k.press + " " + k.press);
        Key(QEvent::KeyRelease, k.evdev, k.qtKey);
        std::string rest = keysUntilQuiet();
        pressesOf(rest, k.press);
        EXPECT_EQ(rest, "F0 " + k.press) << "one release, and the repeating ends with it";
    }

    Key(QEvent::KeyPress, 42, Qt::Key_Shift);
    EXPECT_EQ(KeyBytes(Receive(*host, 10)), "12 12");
    Key(QEvent::KeyPress, 30, Qt::Key_A);
    std::string rest = keysUntilQuiet();
    pressesOf(rest, "12");
    EXPECT_EQ(rest, "1C") << "a key going down ends Shift's repeating";
    Key(QEvent::KeyRelease, 30, Qt::Key_A);
    Key(QEvent::KeyRelease, 42, Qt::Key_Shift);
    EXPECT_EQ(keysUntilQuiet(), "F0 1C F0 12");
}

// Alt and Ctrl go down here and come up in another window, whose keys never reach this one.
TEST_F(CQX44SimDlgHostTest, KeysHeldWhenTheKeyboardGoesElsewhereAreLetGo) {
    auto host = Connect();
    window->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return window->isActiveWindow(); }));
    Key(QEvent::KeyPress, 30, Qt::Key_A);
    Key(QEvent::KeyPress, 29, Qt::Key_Control, Qt::ControlModifier);
    Key(QEvent::KeyPress, 56, Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(KeyBytes(Receive(*host, 5)), "1C");

    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return !window->isActiveWindow(); }));
    window->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return window->isActiveWindow(); }));
    for (const auto& [evdev, qtKey] : {std::pair{45, Qt::Key_X}, std::pair{5, Qt::Key_4}}) {
        Key(QEvent::KeyPress, evdev, qtKey);
        Key(QEvent::KeyRelease, evdev, qtKey);
    }
    EXPECT_EQ(KeyBytes(Receive(*host, 40)), "F0 1C 22 F0 22 25 F0 25")
        << "a is let go, the held-back Ctrl is dropped, and x and 4 are plain keys again";
}

} // namespace
} // namespace qx44

namespace qx44 {
namespace {

TEST_F(CQX44SimDlgHostTest, BitmapTransferIsShownAtItsCellAndItsFileDeleted) {
    test::WorkingDirectory inTemp(dir.Path());
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(red.save(&buffer, "BMP"));

    auto host = Connect();
    Bytes message = {0x02, 0x01, 0x33, 0x0A, 0x05};
    message.insert(message.end(), file.begin(), file.end());
    message.push_back(0x03);
    host->Send(message);

    const PixelRect cell = window->TextScreen().CellRect(10, 5);
    EXPECT_TRUE(WaitUntil([&] {
        return uitest::IsColour(window->TextView().BackingImage(), cell.left + 2, cell.top + 2,
                                QColor(255, 0, 0));
    }));
    EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(dir.File("tmp.bmp")); }));
}

// mpv's built-in test sources stand in for the host's videos.
class HostPlayListTest : public CQX44SimDlgHostTest {
protected:
    HostPlayListTest() : CQX44SimDlgHostTest("[Video]\nTestSources=1\n") {}
};

// A host's play list of a video and a picture, played by mpv into the player's window, closed by
// the Stop key; the text screen comes back as it was.
TEST_F(HostPlayListTest, HostPlayListPlaysAndTheStopKeyBringsTheScreenBack) {
    test::WorkingDirectory inTemp(dir.Path());
    QImage magenta(64, 48, QImage::Format_RGB32);
    magenta.fill(QColor(255, 0, 255));
    ASSERT_TRUE(magenta.save(QString::fromStdString(dir.File("pic.bmp")), "BMP"));

    auto host = Connect();
    host->Send(Bytes{0x02, 0x01, 0x23, 0x0A, 0x05, 0xD2, 0x00, 0x02, 'H', 'i', 0x03});
    ASSERT_TRUE(WaitUntil(
        [&] { return ScreenDump::Text(window->TextScreen().Snapshot(), 10, 5, 2, 1) == "Hi\n"; }));
    const std::string before = ScreenDump::Text(window->TextScreen().Snapshot(), 0, 0, 80, 25);

    // A file that cannot be played is passed over.
    const std::string list = "av://lavfi:testsrc=duration=2:size=320x240\rmissing.avi\rpic.bmp\r";
    Bytes play = {0x02, 0x01, 0x40, 0, 0, 0, 0, 0};
    play.insert(play.end(), list.begin(), list.end());
    play.push_back(0x03);
    host->Send(play);

    const PlayerWindow& player = window->Player();
    ASSERT_TRUE(WaitUntil([&] { return player.isVisible(); }));
    EXPECT_FALSE(window->TextView().isVisible());
    EXPECT_FALSE(window->StatusView().isVisible());

    // testsrc's pattern has pure red, green and blue areas.
    const auto hasColour = [&](auto matches) {
        const QImage& frame = player.Video().Frame();
        for (int y = 0; y < frame.height(); y += 2) {
            for (int x = 0; x < frame.width(); x += 2) {
                if (matches(frame.pixelColor(x, y))) {
                    return true;
                }
            }
        }
        return false;
    };
    const auto strong = [](int value) { return value > 180; };
    const auto weak = [](int value) { return value < 80; };
    EXPECT_TRUE(WaitUntil(
        [&] {
            return hasColour([&](QColor c) {
                       return strong(c.red()) && weak(c.green()) && weak(c.blue());
                   }) &&
                   hasColour([&](QColor c) {
                       return weak(c.red()) && strong(c.green()) && weak(c.blue());
                   }) &&
                   hasColour([&](QColor c) {
                       return weak(c.red()) && weak(c.green()) && strong(c.blue());
                   });
        },
        10000))
        << "the video's frames reach the window";
    EXPECT_TRUE(player.Title().startsWith("av://lavfi:testsrc")) << player.Title().toStdString();

    const auto showsPicture = [&] {
        const QImage& frame = player.Video().Frame();
        const QColor centre = frame.pixelColor(frame.width() / 2, frame.height() / 2);
        return player.Title().startsWith("pic.bmp ( 3/4 )") && strong(centre.red()) &&
               weak(centre.green()) && strong(centre.blue());
    };
    ASSERT_TRUE(WaitUntil(showsPicture, 10000)) << player.Title().toStdString();

    // Zoom in ("7"): the picture's own size, half as large again, in the middle of the area.
    Key(QEvent::KeyPress, 8, Qt::Key_7);
    Key(QEvent::KeyRelease, 8, Qt::Key_7);
    EXPECT_EQ(player.Video().geometry(), QRect(464, 318, 96, 72));
    EXPECT_EQ(test::Hex(Receive(*host, 10)), "02 01 11 F0 03 02 01 11 FE 03");
    WaitUntil([] { return false; }, 1500);
    EXPECT_TRUE(showsPicture()) << "the picture is held";

    Key(QEvent::KeyPress, 11, Qt::Key_0);
    Key(QEvent::KeyRelease, 11, Qt::Key_0);
    EXPECT_EQ(test::Hex(Receive(*host, 14)), "02 01 41 03 02 01 11 F0 03 02 01 11 FE 03");
    EXPECT_FALSE(player.isVisible());
    EXPECT_TRUE(window->TextView().isVisible());
    EXPECT_TRUE(window->StatusView().isVisible());
    EXPECT_EQ(ScreenDump::Text(window->TextScreen().Snapshot(), 0, 0, 80, 25), before);

    // a is held while the host's next play list closes the player: it goes on repeating, so the
    // host sees it go down and is owed its release.
    host->Send(play);
    ASSERT_TRUE(WaitUntil([&] { return player.isVisible(); }));
    Key(QEvent::KeyPress, 30, Qt::Key_A);
    host->Send(play);
    ASSERT_TRUE(WaitUntil([&] { return !player.isVisible(); }));
    Key(QEvent::KeyPress, 30, Qt::Key_A, {}, true);
    Key(QEvent::KeyRelease, 30, Qt::Key_A);
    EXPECT_EQ(KeyBytes(Receive(*host, 15)), "1C F0 1C");
}

// The local browser over the running terminal, on the working folder (the default ".\"), with
// pictures that move on after a second and a connected host that hears nothing of it.
class LocalBrowserTest : public CQX44SimDlgHostTest {
protected:
    LocalBrowserTest() : CQX44SimDlgHostTest("[LocalVideo]\nAtSecs=1\n") {}

    // Where the window system delivers a key: the open browser's focus, else the main window.
    void Type(QEvent::Type type, int evdev, int qtKey, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* modal = QApplication::activeModalWidget();
        QWidget* target = modal != nullptr ? modal->focusWidget() : window.get();
        QKeyEvent event(type, qtKey, modifiers, static_cast<quint32>(evdev + 8), 0, 0);
        QApplication::sendEvent(target, &event);
    }
    void Tap(int evdev, int qtKey) {
        Type(QEvent::KeyPress, evdev, qtKey);
        Type(QEvent::KeyRelease, evdev, qtKey);
    }
    // Ctrl+4, the first shortcut; the Ctrl release reaches the browser.
    void OpenBrowser() {
        Type(QEvent::KeyPress, 29, Qt::Key_Control, Qt::ControlModifier);
        Type(QEvent::KeyPress, 5, Qt::Key_4, Qt::ControlModifier);
        Type(QEvent::KeyRelease, 5, Qt::Key_4, Qt::ControlModifier);
        Type(QEvent::KeyRelease, 29, Qt::Key_Control);
    }
    std::string Current() const {
        const QTreeWidgetItem* item = window->LocalBrowser()->Tree().currentItem();
        return item != nullptr ? item->text(0).toStdString() : std::string();
    }
};

TEST_F(LocalBrowserTest, PickedGroupPlaysInOrderAndSpaceReturnsWithTheHostHearingNothing) {
    test::WorkingDirectory inTemp(dir.Path());
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(0, 255, 0));
    for (const char* name : {"d.jpg", "c_10.bmp", "c_2.bmp", "Training_x_1.bmp"}) {
        ASSERT_TRUE(picture.save(QString::fromStdString(dir.File(name))));
    }
    auto host = Connect();

    OpenBrowser();
    const CLocalVideoDlg* browser = window->LocalBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isVisible()) << "the shortcut's own releases choose nothing";
    EXPECT_EQ(browser->windowTitle().toStdString(), "Build card/training files (Local)");
    const QTreeWidget& tree = browser->Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree.topLevelItem(1)->child(0)->text(0).toStdString(), "Training_x_1.bmp");

    // The terminal serves its host meanwhile: the media list is asked for and answered.
    host->Send(Bytes{0x02, 0x01, 0x35, 0x03});
    const std::string list = "d.jpg\rc_10.bmp\rc_2.bmp\rTraining_x_1.bmp\r";
    EXPECT_EQ(test::Hex(Receive(*host, list.size() + 5)),
              "02 01 33 00 " + test::Hex(Bytes(list.begin(), list.end())) + " 03");

    const struct {
        int evdev;
        int qtKey;
        const char* current;
    } moves[] = {{108, Qt::Key_Down, "d.jpg"},
                 {108, Qt::Key_Down, "c"},
                 {106, Qt::Key_Right, "c"},
                 {108, Qt::Key_Down, "c_10.bmp"}};
    for (const auto& move : moves) {
        Tap(move.evdev, move.qtKey);
        EXPECT_EQ(Current(), move.current);
    }
    Tap(105, Qt::Key_Left);
    EXPECT_EQ(Current(), "c") << "Left moves up";
    Tap(2, Qt::Key_1);
    EXPECT_FALSE(browser->isVisible());

    const PlayerWindow& player = window->Player();
    EXPECT_TRUE(player.isVisible());
    EXPECT_TRUE(WaitUntil([&] { return player.Title().startsWith(".\\\\c_10.bmp ( 1/2 )"); }))
        << player.Title().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return player.Title().startsWith(".\\\\c_2.bmp ( 2/2 )"); }))
        << player.Title().toStdString();
    Tap(57, Qt::Key_Space);
    EXPECT_FALSE(player.isVisible());
    EXPECT_TRUE(window->TextView().isVisible());

    OpenBrowser();
    ASSERT_TRUE(window->LocalBrowser()->isVisible());
    Tap(108, Qt::Key_Down);
    Tap(11, Qt::Key_0);
    EXPECT_FALSE(window->LocalBrowser()->isVisible());
    EXPECT_TRUE(Receive(*host, 1, 700).empty()) << "the host heard none of these keys";
    EXPECT_FALSE(player.isVisible()) << "Cancel plays nothing";
}

// A listener that cannot be had is told once, as the station tells it, and the terminal runs on;
// Net/Bind puts it on one address of the machine.
TEST(CQX44SimDlgListenerTest, ListenerThatCannotBeHadIsToldOnceAndTheTerminalRunsOn) {
    uitest::EnsureApplication();
    test::TempDir dir;
    CTCPIPListen occupier;
    ASSERT_TRUE(occupier.Listen(0));
    const std::string inUse = std::to_string(occupier.Port());
    const std::string free = std::to_string(test::FreePort());
    const struct {
        std::string net;
        std::string port;
        const char* listeningOn; // nullptr: the message box
    } cases[] = {
        {"PortNum=" + inUse, inUse, nullptr},
        {"PortNum=" + free + "\nBind=station", free, nullptr},
        {"PortNum=" + free + "\nBind=192.0.2.1", free, nullptr},
        {"PortNum=" + free + "\nBind=127.0.0.2", free, "127.0.0.2"},
        {"PortNum=" + free + "\nBind=", free, "0.0.0.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.net);
        test::TempDir::WriteText(dir.File("setting.txt"),
                                 "[Net]\n" + c.net + "\n[Main]\nBeeping=0\n");
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
        CQX44SimDlg window;
        window.show();
        window.Initialise();
        if (c.listeningOn == nullptr) {
            QMessageBox* box = nullptr;
            EXPECT_TRUE(WaitUntil([&] {
                box = window.findChild<QMessageBox*>();
                return box != nullptr;
            }));
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text().toStdString(), "error when start tcp/ip socket");
            EXPECT_EQ(window.findChildren<QMessageBox*>().size(), 1);
            EXPECT_FALSE(window.Link().Listener().IsListening());
        } else {
            ASSERT_TRUE(window.Link().Listener().IsListening());
            sockaddr_in bound{};
            socklen_t length = sizeof bound;
            ::getsockname(window.Link().Listener().Fd(), reinterpret_cast<sockaddr*>(&bound),
                          &length);
            char text[INET_ADDRSTRLEN] = "";
            ::inet_ntop(AF_INET, &bound.sin_addr, text, sizeof text);
            EXPECT_STREQ(text, c.listeningOn);
            EXPECT_TRUE(window.findChildren<QMessageBox*>().empty());
        }
        EXPECT_EQ(ScreenDump::Text(window.TextScreen().Snapshot(), 24, 12, 20, 1),
                  "TCP port: " + c.port + "\n");
    }
    CQX44Setting::SetFilePathOverride({});
}

// The program's own devices behind the ports: virtual serial devices on COM1 and COM2 and the
// receipt printer on COM3, used by a real host and driven by the control port's commands.
class VirtualDevicesTest : public CQX44SimDlgHostTest {
protected:
    VirtualDevicesTest()
        : CQX44SimDlgHostTest("UsbEnabled=1\nUsbMap=3\n",
                              "COM1=virtual\nCOM2=virtual\nCOM3=printer\n") {}

    DeviceControlCommands& Commands() { return window->DeviceCommands(); }
};

TEST_F(VirtualDevicesTest, PrinterMakesReceiptsAndTheHostSeesItsState) {
    auto host = Connect();
    host->Send(Bytes{0x02, 0x01, 0x50, 9, 'H', 'e', 'l', 'l', 'o', '\n', 0x1D, 'V', 0, 0x03});
    EXPECT_EQ(test::Hex(Receive(*host, 4)), "02 01 35 03");
    const auto status = [&] {
        host->Send(Bytes{0x02, 0x01, 0x42, 0xFE, 0x03});
        return test::Hex(Receive(*host, 6));
    };
    EXPECT_EQ(status(), "02 01 34 FE 00 03");
    EXPECT_EQ(Commands().Printer("").ToLine(),
              "{\"ok\":true,\"port\":3,\"state\":\"ready\",\"receipts\":[\"Hello\"],"
              "\"current\":\"\",\"dropped\":0}\n");

    EXPECT_TRUE(Commands().Printer("set cover-open").IsOk());
    EXPECT_EQ(status(), "02 01 34 FE FF 03");
    EXPECT_TRUE(Commands().Printer("set ready").IsOk());
    EXPECT_EQ(status(), "02 01 34 FE 00 03") << "the printer closed as not ready opens again";
    EXPECT_NE(Commands().Printer("take").ToLine().find("[\"Hello\"]"), std::string::npos);
}

TEST_F(VirtualDevicesTest, SerialBytesTravelBetweenHostAndDevice) {
    auto host = Connect();
    EXPECT_TRUE(Commands().Serial("2 send AB").IsOk());
    EXPECT_EQ(test::Hex(Receive(*host, 10)), "02 01 22 41 03 02 01 22 42 03");

    host->Send(Bytes{0x02, 0x01, 0x0F, 0x03, 'x', 'y', 'z', 0x03});
    EXPECT_EQ(test::Hex(Receive(*host, 4)), "02 01 35 03");
    EXPECT_EQ(Commands().Serial("1").ToLine(),
              "{\"ok\":true,\"port\":1,\"kind\":\"virtual\",\"open\":true,\"text\":\"xyz\","
              "\"hex\":\"78 79 7A\",\"dropped\":0}\n");
}

} // namespace
} // namespace qx44
