#include "ui/app/QtLogSink.h"

#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace qx44 {

namespace {

// Notes are info messages, off by default; errors are warnings, on by default.
Q_LOGGING_CATEGORY(hostLog, "qx44.host", QtWarningMsg)
Q_LOGGING_CATEGORY(framingLog, "qx44.framing", QtWarningMsg)
Q_LOGGING_CATEGORY(commandsLog, "qx44.commands", QtWarningMsg)
Q_LOGGING_CATEGORY(portsLog, "qx44.ports", QtWarningMsg)
Q_LOGGING_CATEGORY(settingsLog, "qx44.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(mediaLog, "qx44.media", QtWarningMsg)

constexpr std::string_view kPrefix = "qx44.";

// Qt's own debug, info and warning messages, shown only when verbose.
std::atomic<bool> qtNotes{false};

void WriteLine(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    QByteArray line = "qx44sim: ";
    const std::string_view category = context.category != nullptr ? context.category : "";
    if (category.starts_with(kPrefix)) {
        line += QByteArray::fromStdString(std::string(category.substr(kPrefix.size()))) + ": ";
    } else if (type != QtCriticalMsg && type != QtFatalMsg && !qtNotes.load()) {
        return;
    }
    line += message.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtLogSink::QtLogSink() {
    qInstallMessageHandler(WriteLine);
}

QtLogSink::~QtLogSink() {
    qInstallMessageHandler(nullptr);
}

QStringList QtLogSink::TurnOn(bool verbose, const QString& areas) {
    QStringList rules;
    QStringList unknown;
    if (verbose) {
        rules << "qx44.*.info=true";
    }
    qtNotes.store(verbose);
    static const QRegularExpression kSeparators("[,\\s]+");
    for (const QString& name : areas.split(kSeparators, Qt::SkipEmptyParts)) {
        const QString area = name.toLower();
        if (area == "all") {
            rules << "qx44.*.info=true";
        } else if (std::find(std::begin(kAreaNames), std::end(kAreaNames), area.toStdString()) !=
                   std::end(kAreaNames)) {
            rules << "qx44." + area + ".info=true";
        } else {
            unknown << name;
        }
    }
    if (!rules.isEmpty()) {
        QLoggingCategory::setFilterRules(rules.join('\n'));
    }
    return unknown;
}

bool QtLogSink::IsVerbose(LogArea area) const {
    return Category(area).isInfoEnabled();
}

void QtLogSink::Note(LogArea area, std::string_view text) {
    qCInfo(Category(area)).noquote() << Text(text);
}

void QtLogSink::Error(LogArea area, std::string_view text) {
    qCWarning(Category(area)).noquote() << Text(text);
}

const QLoggingCategory& QtLogSink::Category(LogArea area) {
    switch (area) {
    case LogArea::Host:
        return hostLog();
    case LogArea::Framing:
        return framingLog();
    case LogArea::Commands:
        return commandsLog();
    case LogArea::Ports:
        return portsLog();
    case LogArea::Settings:
        return settingsLog();
    case LogArea::Media:
        break;
    }
    return mediaLog();
}

} // namespace qx44
