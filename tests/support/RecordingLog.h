#pragma once

#include "core/common/ILogSink.h"
#include "core/common/Log.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace qx44::test {

// Takes the station's log for one test, every area verbose, and keeps its lines.
class RecordingLog : public ILogSink {
public:
    RecordingLog() { Log::SetSink(this); }
    RecordingLog(const RecordingLog&) = delete;
    RecordingLog& operator=(const RecordingLog&) = delete;
    ~RecordingLog() override { Log::SetSink(nullptr); }

    bool IsVerbose(LogArea) const override { return true; }
    void Note(LogArea, std::string_view text) override { Add(text); }
    void Error(LogArea, std::string_view text) override { Add(text); }

    std::vector<std::string> TakeLines() {
        std::lock_guard lock(mutex_);
        return std::exchange(lines_, {});
    }

private:
    void Add(std::string_view text) {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(text);
    }

    std::mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace qx44::test
