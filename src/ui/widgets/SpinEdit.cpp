#include "ui/widgets/SpinEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>

namespace qx44 {

SpinEdit::SpinEdit(int minimum, int maximum, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(&edit_);
    row->addWidget(&arrows_);
    arrows_.setRange(minimum, maximum);
    arrows_.setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    arrows_.setFixedWidth(20);
    // Only the edit takes the focus: moving through the page never stops at the arrows.
    arrows_.setFocusPolicy(Qt::NoFocus);

    // The arrows step from what the edit shows; text that is no number leaves them where they
    // were, and a number outside the range puts them at its end.
    connect(&edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        bool isNumber = false;
        const int value = text.trimmed().toInt(&isNumber);
        if (isNumber) {
            const QSignalBlocker quiet(arrows_);
            arrows_.setValue(value);
        }
    });
    connect(&arrows_, &QSpinBox::valueChanged, this,
            [this](int value) { edit_.setText(QString::number(value)); });
    edit_.installEventFilter(this);
}

bool SpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            arrows_.stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qx44
