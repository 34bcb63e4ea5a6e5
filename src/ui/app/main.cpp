#include "core/settings/CNetCard.h"
#include "core/settings/CQX44Setting.h"
#include "platform/LinuxNetAdapters.h"
#include "ui/app/CQX44SimDlg.h"
#include "ui/app/TerminationWatcher.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("qx44sim");

    QCommandLineParser parser;
    parser.setApplicationDescription("QX4400 station simulator");
    parser.addHelpOption();
    const QCommandLineOption windowed("windowed", "Run in a normal window, not full screen.");
    const QCommandLineOption settings("settings", "Use FILE as the settings file.", "FILE");
    parser.addOption(windowed);
    parser.addOption(settings);
    parser.process(app);

    if (parser.isSet(settings)) {
        qx44::CQX44Setting::SetFilePathOverride(parser.value(settings).toStdString());
    }

    qx44::LinuxNetAdapters adapters;
    qx44::CNetCard::SetAdapterSource(&adapters);

    qx44::TerminationWatcher termination;
    qx44::CQX44SimDlg window;
    if (parser.isSet(windowed)) {
        window.resize(1024, 768);
        window.show();
    } else {
        window.showFullScreen();
    }
    window.Initialise();
    return app.exec();
}
