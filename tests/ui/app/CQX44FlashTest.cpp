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
#include <QLineEdit>
#include <QMessageBox>
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
    for (const char* name : {"bootDelay", "hideDelay"}) {
        const auto* timer = boot->findChild<QTimer*>(name);
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_EQ(timer->timerType(), Qt::PreciseTimer) << name;
    }
    EXPECT_FALSE(WaitUntil([&] { return boot->Terminal() != nullptr; }, 2000))
        << "the page stays for its three seconds";
    ASSERT_TRUE(WaitUntil([&] { return boot->Terminal() != nullptr; }, 4000));
    EXPECT_TRUE(boot->Terminal()->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return !boot->isVisible(); }, 2000));
}

// The box that tells what a field must hold, as the setup page shows it; empty when none shows.
QString ShownBox(const QWidget& page) {
    for (const QMessageBox* box : page.findChildren<QMessageBox*>()) {
        if (box->isVisible()) {
            return box->text();
        }
    }
    return {};
}

TEST_F(CQX44FlashTest, DeleteOpensTheSetupPageAndTheTerminalFollows) {
    // Delete: evdev 111, an extended key whose scan code is 0x53 like the keypad's Del.
    const std::string settings = test::TempDir::ReadText(dir.File("setting.txt"));
    bool setupShown = false;
    std::vector<std::string> boxes;
    QTimer::singleShot(0, [&] {
        WaitUntil([&] { return QApplication::activeModalWidget() != nullptr; }, 3000);
        auto* setup = qobject_cast<CSettingDlg*>(QApplication::activeModalWidget());
        setupShown = setup != nullptr;
        if (setup == nullptr) {
            return;
        }
        for (auto [field, text] : {std::pair{"port", "a"}, std::pair{"marginHeight", "11"}}) {
            auto* edit = setup->findChild<QLineEdit*>(field);
            edit->setText(text);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(edit, &enter);
            WaitUntil([&] { return !ShownBox(*setup).isEmpty(); }, 3000);
            boxes.push_back(ShownBox(*setup).toStdString());
            for (QMessageBox* box : setup->findChildren<QMessageBox*>()) {
                box->accept();
            }
            edit->setText("1");
        }
        setup->reject();
    });
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, 111 + 8, 0, 0);
    QApplication::sendEvent(boot.get(), &del);
    EXPECT_TRUE(setupShown);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Enter an integer.",
                                               "Enter an integer between 0 and 10."}));
    EXPECT_EQ(test::TempDir::ReadText(dir.File("setting.txt")), settings);
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
