#pragma once

#include "core/common/ILogSink.h"

#include <QLoggingCategory>
#include <QString>

namespace qx44 {

// The station's log through Qt's logging categories "qx44.<area>": errors always reach stderr,
// notes only for the areas turned on (by -v, QX44SIM_LOG or Qt's own QT_LOGGING_RULES). Qt's own
// messages reach it when critical, the others only once -v has turned them on: the station is
// silent by default ("XDG_RUNTIME_DIR not set" on every headless start).
class QtLogSink : public ILogSink {
public:
    // The areas by the names users give them, in LogArea order.
    static constexpr const char* kAreaNames[] = {"host",  "framing",  "commands",
                                                 "ports", "settings", "media"};

    // Sends every Qt message to stderr as "qx44sim: <area>: <text>".
    QtLogSink();
    ~QtLogSink() override;

    // Turns notes on for every area and Qt's own messages (verbose) and for the areas in
    // `areas`, a list separated by commas or blanks ("all" for every one). Returns the names it
    // did not know.
    QStringList TurnOn(bool verbose, const QString& areas);

    bool IsVerbose(LogArea area) const override;
    void Note(LogArea area, std::string_view text) override;
    void Error(LogArea area, std::string_view text) override;

private:
    static const QLoggingCategory& Category(LogArea area);
};

} // namespace qx44
