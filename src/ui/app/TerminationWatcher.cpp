#include "ui/app/TerminationWatcher.h"

#include <QCoreApplication>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qx44 {

namespace {

// A signal handler may only write to a pipe; the event loop reads the other end.
int g_writeEnd = -1;

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readEnd_.Reset(ends[0]);
    g_writeEnd = ends[1];
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_.Get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char drained[16];
        while (::read(readEnd_.Get(), drained, sizeof(drained)) > 0) {
        }
        // exit, not quit: quit asks the windows first, and the terminal refuses to close.
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = &TerminationWatcher::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

TerminationWatcher::~TerminationWatcher() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    if (g_writeEnd >= 0) {
        ::close(g_writeEnd);
        g_writeEnd = -1;
    }
}

void TerminationWatcher::OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_writeEnd, &byte, 1);
}

} // namespace qx44
