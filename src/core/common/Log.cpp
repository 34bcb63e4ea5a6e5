#include "core/common/Log.h"

#include <atomic>

namespace qx44 {

namespace {

std::atomic<ILogSink*> g_sink{nullptr};

} // namespace

void Log::SetSink(ILogSink* sink) {
    g_sink = sink;
}

ILogSink* Log::Sink() {
    return g_sink.load();
}

bool Log::IsVerbose(LogArea area) {
    ILogSink* sink = Sink();
    return sink != nullptr && sink->IsVerbose(area);
}

void Log::Error(LogArea area, std::string_view text) {
    if (ILogSink* sink = Sink()) {
        sink->Error(area, text);
    }
}

std::string Log::Hex(unsigned value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    if (text.size() < 2) {
        text.insert(text.begin(), '0');
    }
    return "0x" + text;
}

} // namespace qx44
