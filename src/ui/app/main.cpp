#include "Version.h"
#include "core/common/Log.h"
#include "core/settings/CQX44Setting.h"
#include "core/trace/ReplaySuite.h"
#include "core/trace/TraceReplay.h"
#include "core/trace/TraceWriter.h"
#include "ui/app/CQX44SimApp.h"
#include "ui/app/QtLogSink.h"
#include "ui/app/StationFonts.h"
#include "ui/screen/ReplayPictures.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>

namespace {

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The options QApplication takes for itself, which it removes before the program sees them.
bool AreQtOptions(const QStringList& names) {
    static const QStringList kQtOptions = {"platform",        "platformpluginpath",
                                           "platformtheme",   "plugin",
                                           "display",         "geometry",
                                           "qwindowgeometry", "title",
                                           "qwindowtitle",    "icon",
                                           "qwindowicon",     "style",
                                           "stylesheet",      "reverse",
                                           "session",         "name",
                                           "widgetcount",     "nograb",
                                           "dograb",          "sync"};
    return std::ranges::all_of(names,
                               [](const QString& name) { return kQtOptions.contains(name); });
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName("qx44sim");
    QCoreApplication::setApplicationVersion(QX44SIM_VERSION_TEXT);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "QX4400 station simulator: serves a host application over TCP as a QX4400 network text "
        "terminal does.\nEnvironment: QX44SIM_SETTINGS=FILE picks the settings file, "
        "QX44SIM_LOG=AREAS turns on log lines for some areas (host, framing, commands, ports, "
        "settings, media, all).");
    const QCommandLineOption help({"h", "help"}, "Show this help and end.");
    const QCommandLineOption version("version", "Show the version and end.");
    const QCommandLineOption verbose(
        {"v", "verbose"},
        "Log what the station ignores or fails to do, and Qt's warnings, on stderr.");
    const QCommandLineOption windowed("windowed", "Run in a normal window, not full screen.");
    const QCommandLineOption settings("settings", "Use FILE as the settings file.", "FILE");
    const QCommandLineOption headless("headless",
                                      "Run with no display: the screens render off screen.");
    const QCommandLineOption control(
        "control",
        "Serve the control port on PORT (127.0.0.1 and ::1 only; 0: a free port), open from the "
        "program's start.",
        "PORT");
    const QCommandLineOption http(
        "http",
        "Serve the web view and its JSON API on PORT (127.0.0.1 and ::1 unless [Http] Bind says "
        "otherwise; 0: a free port).",
        "PORT");
    const QCommandLineOption port(
        "port", "Listen for hosts on PORT instead of Net/PortNum (0: a free port).", "PORT");
    const QCommandLineOption quickStart(
        "quick-start", "Open the terminal at once, without the boot screen's three seconds (for "
                       "tests: a station always shows its boot screen).");
    parser.addOptions(
        {help, version, verbose, windowed, settings, headless, control, http, port, quickStart});
    // The host developer's tools: a decoded trace of every session, and its replay.
    const QCommandLineOption trace(
        "trace", "Write a decoded trace of every host session to FILE (- for stderr).", "FILE");
    const QCommandLineOption replay(
        "replay",
        QString("Play a trace's host messages into a fresh station without a display, compare its "
                "replies and end: status %1 when all match, %2 when not, %3 when the replay "
                "cannot run (a file it cannot read or write). PATH is a trace, a case folder "
                "(host.trace, and expected.txt to compare the screens with) or a folder of case "
                "folders; more PATHs may follow.")
            .arg(qx44::TraceReplay::kMatches)
            .arg(qx44::TraceReplay::kDiffers)
            .arg(qx44::TraceReplay::kCannotRun),
        "PATH");
    const QCommandLineOption speed("speed",
                                   "Replay at the recorded timing (1), FACTOR times faster, or as "
                                   "fast as possible (0, the default).",
                                   "FACTOR", "0");
    const QCommandLineOption expectScreen(
        "expect-screen", "After the replay, compare the screens with the dump in FILE.", "FILE");
    const QCommandLineOption dumpScreen(
        "dump-screen", "After the replay, write the screens' dump to FILE.", "FILE");
    const QCommandLineOption junit("junit", "After the replay, write a JUnit XML report to FILE.",
                                   "FILE");
    const QCommandLineOption artifacts(
        "artifacts",
        "For each case whose screens differ, draw DIR/CASE/expected.png, actual.png and diff.png.",
        "DIR");
    parser.addOptions({trace, replay, speed, expectScreen, dumpScreen, junit, artifacts});
    parser.addPositionalArgument("PATH", "With --replay: more traces or case folders.",
                                 "[PATH...]");
    // A first look before the application object exists: --version and --help need no display.
    // Qt's own options (-platform ...) are only known once the application has taken them out.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(arguments) && !AreQtOptions(parser.unknownOptionNames())) {
        Print(stderr, "qx44sim: " + parser.errorText() + "\nTry 'qx44sim --help'.\n");
        return 2;
    }
    if (parser.isSet(help)) {
        Print(stdout, parser.helpText().replace("<executable_name>", "qx44sim"));
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QString("qx44sim %1\n").arg(QX44SIM_VERSION_TEXT));
        return 0;
    }

    for (const QCommandLineOption* replayOnly :
         {&speed, &expectScreen, &dumpScreen, &junit, &artifacts}) {
        if (parser.isSet(*replayOnly) && !parser.isSet(replay)) {
            Print(stderr, "qx44sim: --" + replayOnly->names().constFirst() +
                              " needs --replay\nTry 'qx44sim --help'.\n");
            return 2;
        }
    }

    // A TCP port number option, or nothing when it is not given; false when it is malformed.
    const auto portOption = [&parser](const QCommandLineOption& option, std::optional<int>& value) {
        if (!parser.isSet(option)) {
            return true;
        }
        bool isNumber = false;
        value = parser.value(option).toInt(&isNumber);
        if (!isNumber || *value < 0 || *value > 0xFFFF) {
            Print(stderr, "qx44sim: --" + option.names().constFirst() +
                              " needs a TCP port number, not " + parser.value(option) + "\n");
            return false;
        }
        return true;
    };
    std::optional<int> controlPort;
    std::optional<int> hostPort;
    std::optional<int> httpPort;
    if (!portOption(control, controlPort) || !portOption(port, hostPort) ||
        !portOption(http, httpPort)) {
        return 2;
    }
    // The platform is chosen before the application exists, and it overrides the environment.
    if (parser.isSet(headless)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (parser.isSet(settings)) {
        qx44::CQX44Setting::SetFilePathOverride(parser.value(settings).toStdString());
    }
    if (parser.isSet(replay)) {
        bool speedOk = false;
        qx44::ReplaySuite::Options replayOptions{
            .speed = parser.value(speed).toDouble(&speedOk),
            .expectScreenPath = parser.value(expectScreen).toStdString(),
            .dumpScreenPath = parser.value(dumpScreen).toStdString(),
            .junitPath = parser.value(junit).toStdString(),
            .artifactsPath = parser.value(artifacts).toStdString()};
        if (!speedOk || replayOptions.speed < 0) {
            Print(stderr, "qx44sim: --speed takes a factor of 0 or more\n");
            return 2;
        }
        for (const QString& path : parser.values(replay) + parser.positionalArguments()) {
            replayOptions.inputs.push_back(path.toStdString());
        }
        // Pictures need fonts, so an application object; the replay still uses no display.
        std::optional<QGuiApplication> pictureApp;
        std::optional<qx44::ReplayPictures> pictures;
        if (!replayOptions.artifactsPath.empty()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            pictureApp.emplace(argc, argv);
            qx44::InstallStationFonts();
            replayOptions.pictures = &pictures.emplace();
        }
        return qx44::ReplaySuite::Run(replayOptions, std::cout);
    }
    std::unique_ptr<qx44::TraceWriter> traceWriter;
    if (parser.isSet(trace)) {
        // A file size limit then stops the trace as a full disk does, not the station.
        std::signal(SIGXFSZ, SIG_IGN);
        std::string error;
        traceWriter =
            qx44::TraceWriter::Open(parser.value(trace).toStdString(),
                                    {.beeperPitch = qx44::CQX44Setting().GetPitch()}, error);
        if (!traceWriter) {
            Print(stderr, QString::fromStdString("qx44sim: " + error + "\n"));
            return 2;
        }
    }

    qx44::QtLogSink log;
    QApplication app(argc, argv);
    parser.parse(QCoreApplication::arguments());
    for (const QString& unknown :
         log.TurnOn(parser.isSet(verbose), qEnvironmentVariable("QX44SIM_LOG"))) {
        Print(stderr, "qx44sim: QX44SIM_LOG names no area " + unknown + "\n");
    }
    qx44::Log::SetSink(&log);

    qx44::CQX44SimApp::Options options;
    options.windowed = parser.isSet(windowed);
    options.controlPort = controlPort;
    options.httpPort = httpPort;
    if (hostPort) {
        options.hostPort = static_cast<std::uint16_t>(*hostPort);
    }
    options.quickStart = parser.isSet(quickStart);
    options.trace = traceWriter.get();
    if (parser.isSet(settings)) {
        options.settingsFile = parser.value(settings).toStdString();
        qx44::CQX44Setting::SetFilePathOverride(options.settingsFile);
    } else if (const char* fromEnvironment = std::getenv("QX44SIM_SETTINGS")) {
        options.settingsFile = fromEnvironment;
    }
    int status = 0;
    {
        qx44::CQX44SimApp station;
        status = station.Run(options);
    }
    // The trace's last lines are written while the log can still say that the trace stopped.
    traceWriter.reset();
    qx44::Log::SetSink(nullptr);
    return status;
}
