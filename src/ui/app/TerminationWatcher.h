#pragma once

#include "core/common/UniqueFd.h"

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace qx44 {

// Turns SIGTERM and SIGINT into a normal end of the event loop, so the windows are destroyed,
// the host connection is closed and the port is released before the process exits.
class TerminationWatcher : public QObject {
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

private:
    static void OnSignal(int signal);

    UniqueFd readEnd_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace qx44
