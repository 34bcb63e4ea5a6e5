#include "ui/app/CSettingDlg.h"

#include "core/settings/CQX44Setting.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

#include <QKeyEvent>
#include <QSpinBox>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace qx44 {
namespace {

// The setup page on a settings file of the test's own, worked with keys as the station's user
// works it.
class CSettingDlgTest : public ::testing::Test {
protected:
    void Open(const std::string& settings) {
        uitest::EnsureApplication();
        if (!settings.empty()) {
            test::TempDir::WriteText(file, settings);
        }
        CQX44Setting::SetFilePathOverride(file);
        dialog = std::make_unique<CSettingDlg>(messages);
        dialog->show();
    }
    ~CSettingDlgTest() override {
        dialog.reset();
        CQX44Setting::SetFilePathOverride({});
    }

    template <typename T> T& Field(const char* name) {
        T* field = dialog->findChild<T*>(name);
        EXPECT_NE(field, nullptr) << name;
        return *field;
    }
    void Press(int key, QWidget* target = nullptr) {
        for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::NoModifier);
            QApplication::sendEvent(target != nullptr ? target : &Field<QWidget>("port"), &event);
        }
    }
    std::string Saved() const { return test::TempDir::ReadText(file); }

    test::TempDir dir;
    std::string file = dir.File("setting.txt");
    uitest::RecordingMessageBox messages;
    std::unique_ptr<CSettingDlg> dialog;
};

// "[Section]" and "Key=value" lines of the file, in file order.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST_F(CSettingDlgTest, EnterWritesEverySettingInTheStationsOrder) {
    Open("");
    Press(Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const auto lines = Lines(Saved());
    std::vector<std::string> sections;
    for (const auto& line : lines) {
        if (line.starts_with('[')) {
            sections.push_back(line);
        }
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"[Video]", "[Net]", "[Serial1]", "[Serial2]",
                                                  "[Main]", "[Exit]", "[Font]", "[LocalVideo]"}));
    EXPECT_EQ(lines.size(), 8u + 53u) << Saved();
    const auto at = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    EXPECT_EQ(at("[Exit]") + 1, at("Ctrl=1"));
    EXPECT_EQ(at("Ctrl=1") + 3, at("VKey2=0"));
    EXPECT_EQ(at("Alt=0") + 1, at("VKey1=57"));
    EXPECT_LT(at("PlayPause1=0"), at("EnVideo=1"));
    EXPECT_LT(at("Pitch=2200"), at("Address=1"));
    EXPECT_LT(at("UsbMap=3"), at("Address=1"));
    EXPECT_LT(at("Key21=32"), at("AtSecs=10"));
}

TEST_F(CSettingDlgTest, CtrlAndEscapeWriteNothing) {
    for (const int key : {Qt::Key_Control, Qt::Key_Escape}) {
        Open("");
        Press(key);
        EXPECT_EQ(dialog->result(), QDialog::Rejected) << key;
        EXPECT_FALSE(std::filesystem::exists(file)) << key;
    }
}

TEST_F(CSettingDlgTest, ListsShowStoredValuesByTheirRules) {
    Open("[Main]\nPitch=2210\nUsbMap=9\n[Font]\nWeight=700\nName=No Such Face\n[Video]\nStop=45\n");
    EXPECT_EQ(Field<QComboBox>("pitch").currentText(), "2200");
    EXPECT_EQ(Field<QComboBox>("weight").currentText(), "Bold");
    EXPECT_EQ(Field<QComboBox>("stopKey").currentText(), "-");
    EXPECT_EQ(Field<QComboBox>("usbPort").currentIndex(), -1);
    Press(Qt::Key_Enter);
    const auto lines = Lines(Saved());
    for (const char* line :
         {"Pitch=2200", "UsbMap=0", "Weight=700", "Stop=45", "Name=No Such Face"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
}

TEST_F(CSettingDlgTest, BadNumbersAreRefusedAndNothingIsWritten) {
    Open("[Net]\nPortNum=9000\n");
    Field<QLineEdit>("marginHeight").setText("11");
    Press(Qt::Key_Return);
    EXPECT_EQ(messages.Boxes(), std::vector<std::string>{"Enter an integer between 0 and 10."});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Saved(), "[Net]\nPortNum=9000\n");

    Field<QLineEdit>("marginHeight").setText("10");
    Field<QLineEdit>("port").setText("80a");
    Press(Qt::Key_Return);
    EXPECT_EQ(messages.Boxes().back(), "Enter an integer.");
    EXPECT_EQ(Saved(), "[Net]\nPortNum=9000\n");
}

// The arrows and the field are one value: they step from what the field shows.
TEST_F(CSettingDlgTest, MarginArrowsStepTheNumberTheFieldShows) {
    Open("");
    auto& field = Field<QLineEdit>("marginHeight");
    auto* arrows = field.parentWidget()->findChild<QSpinBox*>();
    ASSERT_NE(arrows, nullptr);
    const struct {
        const char* shown;
        int key;
        QWidget* target;
        const char* stepped;
    } cases[] = {
        {"3", Qt::Key_Up, &field, "4"},   {"3", Qt::Key_Down, &field, "2"},
        {"7", Qt::Key_Up, arrows, "8"},   {"7", Qt::Key_Down, arrows, "6"},
        {"10", Qt::Key_Up, &field, "10"}, {"0", Qt::Key_Down, arrows, "0"},
    };
    for (const auto& c : cases) {
        field.setText(c.shown);
        Press(c.key, c.target);
        EXPECT_EQ(field.text().toStdString(), c.stepped)
            << c.shown << " " << (c.key == Qt::Key_Up ? "up" : "down");
    }
    field.setFocus();
    QApplication::processEvents();
    Press(Qt::Key_Right, &field);
    EXPECT_NE(QApplication::focusWidget(), &field);
    EXPECT_NE(QApplication::focusWidget(), arrows) << "the arrows are part of the field";
}

TEST_F(CSettingDlgTest, SlideShowBoxEnablesItsSecondsAndArrowsMoveTheFocus) {
    Open("");
    auto& seconds = Field<QLineEdit>("slideSeconds");
    EXPECT_TRUE(seconds.isEnabled());
    Field<QCheckBox>("autoSlide").setChecked(false);
    EXPECT_FALSE(seconds.isEnabled());

    auto& port = Field<QLineEdit>("port");
    port.setFocus();
    QApplication::processEvents();
    Press(Qt::Key_Right, &port);
    QWidget* next = QApplication::focusWidget();
    EXPECT_NE(next, &port);
    Press(Qt::Key_Left, next);
    EXPECT_EQ(QApplication::focusWidget(), &port);
    EXPECT_EQ(port.cursorPosition(), port.text().size()) << "arrows never move the caret";
}

} // namespace
} // namespace qx44
