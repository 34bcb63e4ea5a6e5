#include "ui/app/CQX44SimApp.h"

#include "core/settings/CNetCard.h"
#include "core/settings/CQX44Setting.h"
#include "core/settings/SettingsCheck.h"
#include "core/settings/SettingsLocation.h"
#include "platform/LinuxNetAdapters.h"
#include "ui/app/CQX44Flash.h"
#include "ui/app/ControlPortHost.h"
#include "ui/app/StationFonts.h"
#include "ui/app/TerminationWatcher.h"

#include <QApplication>
#include <QIcon>

namespace qx44 {

CQX44SimApp::~CQX44SimApp() {
    CQX44Setting::SetDisplayInfo(nullptr);
}

bool CQX44SimApp::IsAlreadyRunning(const std::string& settingsFile) {
    return !lock_.TryAcquire(SingleInstanceLock::PathFor(settingsFile));
}

int CQX44SimApp::Run(const Options& options) {
    if (IsAlreadyRunning(options.settingsFile)) {
        return 0;
    }
    if (options.settingsFile.empty()) {
        const auto& location = SettingsLocation::ForProgram();
        SettingsLocation::Prepare(location,
                                  SettingsLocation::ExampleFile(SettingsLocation::ProgramFolder()));
    }
    SettingsCheck::Run(CQX44Setting().GetFilePath());
    InstallStationFonts();
    QApplication::setWindowIcon(QIcon(":/icons/qx44sim"));
    CQX44Setting::SetDisplayInfo(&display_);
    LinuxNetAdapters adapters;
    CNetCard::SetAdapterSource(&adapters);
    QApplication::setOverrideCursor(Qt::BlankCursor);

    TerminationWatcher termination;
    // Open before the boot screen, so scripts can wait for the terminal instead of polling.
    ControlPortHost control(options.controlPort);
    control.Start();
    int status = 0;
    {
        CQX44Flash boot(options.windowed, nullptr,
                        options.trace != nullptr ? *options.trace : IHostTrace::None());
        boot.SetQuickStart(options.quickStart);
        boot.SetHostPort(options.hostPort);
        boot.SetHttp(options.httpPort, control.Commands());
        control.Follow(boot, options.hostPort.has_value() || options.httpPort.has_value());
        boot.Start();
        status = QApplication::exec();
        control.Stop();
    }
    CNetCard::SetAdapterSource(nullptr);
    QApplication::restoreOverrideCursor();
    return status;
}

} // namespace qx44
