#pragma once

#include "ui/widgets/IMessageBox.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace qx44 {

// Shows boxes owned by a window, modal to it, without blocking whoever asked: a picture that
// fails to load on the receive thread must not stop the host link until someone clicks OK.
class QtMessageBox : public IMessageBox {
public:
    explicit QtMessageBox(QWidget* owner) : owner_(owner) {}

    void ShowStop(const QString& title, const QString& text) override;
    void ShowNotice(const QString& text) override;

private:
    void Show(QMessageBox::Icon icon, const QString& title, const QString& text);

    QPointer<QWidget> owner_;
};

} // namespace qx44
