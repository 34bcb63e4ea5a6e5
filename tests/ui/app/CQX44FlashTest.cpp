#include "ui/app/CQX44Flash.h"

#include "core/settings/CNetCard.h"
#include "core/settings/CQX44Setting.h"
#include "support/FakeNetAdapters.h"
#include "support/FreePort.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "ui/app/CSettingDlg.h"
#include "ui/app/QtDisplayInfo.h"

#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

using uitest::WaitUntil;

class CQX44FlashTest : public ::testing::Test {
protected:
    CQX44FlashTest() {
        uitest::EnsureApplication();
        test::TempDir::WriteText(dir.File("setting.txt"),
                                 "[Net]\nPortNum=" + std::to_string(test::FreePort()) +
                                     "\n[Main]\nBeeping=0\nDevName=Till 7\n"
                                     "[Serial1]\nBaud=4800\nParity=1\nBits=7\nFlow=1\n"
                                     "[Serial2]\nParity=5\n[Ports]\nCOM1=" +
                                     dir.File("none1") + "\nCOM2=" + dir.File("none2") + "\n");
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
        CQX44Setting::SetDisplayInfo(&display);
        adapters.adapters = {
            test::FakeNetAdapters::Adapter("eth0", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})};
        boot = std::make_unique<CQX44Flash>(true);
        boot->Start();
    }
    ~CQX44FlashTest() override {
        boot.reset();
        CQX44Setting::SetDisplayInfo(nullptr);
        CQX44Setting::SetFilePathOverride({});
    }

    test::TempDir dir;
    QtDisplayInfo display;
    test::FakeNetAdapters adapters;
    test::ScopedAdapterSource adapterSource{adapters};
    std::unique_ptr<CQX44Flash> boot;
};

TEST_F(CQX44FlashTest, PageShowsTheStationAndItsSettings) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const struct {
        int id;
        QString text;
    } expected[] = {
        {1008, "HBK Corvane Pavise Till 7"},
        {1010, "Till 7"},
        {1022, "1.0.1"},
        {1023, QString("%1 x %2, %3 bits")
                   .arg(screen->size().width())
                   .arg(screen->size().height())
                   .arg(screen->depth())},
        {1025, "1"},
        {1026, "tcp437"},
        {1027, "4800, odd, 7, 1"},
        {1028, "Hardware"},
        {1029, "9600, 5, 8, 1"},
        {1030, "None"},
        {1031, ""},
        {1032, QString::fromStdString(CQX44Setting::GetStationName())},
        {1033, QString::number(CQX44Setting().GetPortNum())},
        {1034, "001A2B-3C4D5E"},
        {1037, "Press <Del> or <Down arrow>  key to enter setup screen"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(boot->TextOf(e.id), e.text) << e.id;
    }
}

TEST_F(CQX44FlashTest, NoKeyOpensTheTerminalAfterThreeSecondsThenTheBootScreenHides) {
    EXPECT_FALSE(WaitUntil([&] { return boot->Terminal() != nullptr; }, 2000))
        << "the page stays for its three seconds";
    ASSERT_TRUE(WaitUntil([&] { return boot->Terminal() != nullptr; }, 4000));
    EXPECT_TRUE(boot->Terminal()->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return !boot->isVisible(); }, 2000));
}

TEST_F(CQX44FlashTest, DeleteOpensTheSetupPageAndTheTerminalFollows) {
    // Delete: evdev 111, an extended key whose scan code is 0x53 like the keypad's Del.
    bool setupShown = false;
    QTimer::singleShot(0, [&] {
        WaitUntil([&] { return QApplication::activeModalWidget() != nullptr; }, 3000);
        auto* setup = qobject_cast<CSettingDlg*>(QApplication::activeModalWidget());
        setupShown = setup != nullptr;
        if (setup != nullptr) {
            setup->reject();
        }
    });
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, 111 + 8, 0, 0);
    QApplication::sendEvent(boot.get(), &del);
    EXPECT_TRUE(setupShown);
    EXPECT_NE(boot->Terminal(), nullptr) << "the terminal opens at once after the setup page";
}

TEST_F(CQX44FlashTest, OtherKeysDoNothing) {
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 30 + 8, 0, 0);
    QApplication::sendEvent(boot.get(), &a);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(boot->Terminal(), nullptr);
}

} // namespace
} // namespace qx44
