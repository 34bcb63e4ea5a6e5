#pragma once

#include "core/common/IUiThread.h"

#include <QObject>

namespace qx44 {

// Posts work into the Qt event loop, tied to a context object: work still queued when the
// context is destroyed is dropped instead of running against a dead window.
class QtUiThread : public IUiThread {
public:
    explicit QtUiThread(QObject* context) : context_(context) {}

    void Post(std::function<void()> work) override {
        QMetaObject::invokeMethod(context_, std::move(work), Qt::QueuedConnection);
    }

private:
    QObject* context_;
};

} // namespace qx44
