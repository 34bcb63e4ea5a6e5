#include "ui/widgets/QtMessageBox.h"

#include <QMessageBox>

namespace qx44 {

void QtMessageBox::ShowStop(const QString& title, const QString& text) {
    QWidget* owner = owner_.data();
    if (owner == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        owner,
        [owner, title, text] {
            auto* box = new QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        },
        Qt::QueuedConnection);
}

} // namespace qx44
