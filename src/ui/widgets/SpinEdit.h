#pragma once

#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>

namespace qx44 {

// An edit for a whole number with up-down arrows beside it, one value between them: the arrows,
// and Up and Down in the edit, step the number the edit shows. The edit takes any text; whoever
// reads it checks it.
class SpinEdit : public QWidget {
    Q_OBJECT

public:
    SpinEdit(int minimum, int maximum, QWidget* parent = nullptr);

    QLineEdit& Edit() { return edit_; }
    QSpinBox& Arrows() { return arrows_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit edit_;
    QSpinBox arrows_;
};

} // namespace qx44
