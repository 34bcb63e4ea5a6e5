#include "ui/widgets/QtMessageBox.h"

#include <QMessageBox>

namespace qx44 {

void QtMessageBox::ShowStop(const QString& title, const QString& text) {
    Show(QMessageBox::Critical, title, text);
}

void QtMessageBox::ShowNotice(const QString& text) {
    Show(QMessageBox::NoIcon, {}, text);
}

void QtMessageBox::Show(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QWidget* owner = owner_.data();
    if (owner == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        owner,
        [owner, icon, title, text] {
            auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, owner);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        },
        Qt::QueuedConnection);
}

} // namespace qx44
