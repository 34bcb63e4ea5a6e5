#include "core/settings/CQX44Setting.h"
#include "ui/app/CQX44SimApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdlib>

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

    qx44::CQX44SimApp::Options options;
    options.windowed = parser.isSet(windowed);
    if (parser.isSet(settings)) {
        options.settingsFile = parser.value(settings).toStdString();
        qx44::CQX44Setting::SetFilePathOverride(options.settingsFile);
    } else if (const char* fromEnvironment = std::getenv("QX44SIM_SETTINGS")) {
        options.settingsFile = fromEnvironment;
    }
    qx44::CQX44SimApp station;
    return station.Run(options);
}
