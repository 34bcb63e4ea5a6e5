#pragma once

#include "core/setup/SetupValues.h"
#include "ui/widgets/QtMessageBox.h"
#include "ui/widgets/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <optional>

namespace qx44 {

// The station's setup page: every setting, worked from the keyboard alone. Enter saves (after
// checking the number fields), Ctrl or Escape leaves without writing, Left and Right move between
// the fields.
class CSettingDlg : public QDialog {
    Q_OBJECT

public:
    // Tells the user in message boxes over the page.
    explicit CSettingDlg(QWidget* parent = nullptr);
    CSettingDlg(IMessageBox& messages, QWidget* parent = nullptr);

    // Checks the fields and, when they hold what they must, writes every setting and closes.
    void Save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kMarginLimit = 10;

    struct SerialFields {
        QComboBox baud;
        QComboBox parity;
        QComboBox bits;
        QComboBox flow;
    };

    void Build();
    void Show(const SetupValues& values);
    // The values in the fields, or nothing after telling the user what a field must hold.
    std::optional<SetupValues> Collect();
    std::optional<int> ReadInteger(QLineEdit& edit, std::optional<std::pair<int, int>> range);
    void ChooseFolder();

    // Boxes owned by the page itself, modal to it; tests give a recorder instead.
    QtMessageBox ownMessages_{this};
    IMessageBox& messages_;
    SetupValues loaded_;

    QLineEdit port_;
    QCheckBox beeping_{"Beeping on boot"};
    QLineEdit address_;
    QCheckBox statusLine_{"Status line"};
    QComboBox pitch_;
    QLineEdit deviceName_;

    QFontComboBox fontName_;
    QComboBox weight_;
    // Stepped by their arrows through 0 to 10; what is typed is checked only when saving.
    SpinEdit marginHeight_{0, kMarginLimit};
    SpinEdit marginWidth_{0, kMarginLimit};

    QCheckBox localEnable_{"Enable local build card/training"};
    QLineEdit folder_;
    QPushButton chooseFolder_{"..."};
    std::array<QComboBox, 4> localKeys_;
    QCheckBox autoSlide_{"Auto sliding show picutures"};
    QLineEdit slideSeconds_;

    QCheckBox disableVideo_{"Disable Video Functions"};
    std::array<QComboBox, 10> videoKeys1_;
    std::array<QComboBox, 10> videoKeys2_;

    std::array<SerialFields, 2> serial_;
    QCheckBox usbEnabled_{"Enable USB printer"};
    QComboBox usbPort_;

    QPushButton ok_{"OK(Enter)"};
    QPushButton cancel_{"Cancel(Ctrl)"};
};

} // namespace qx44
