// Any bytes as a trace file's text: the reader takes them or names the line it refuses, the lines
// it takes read the same again when written out plainly, and the replay's comparison of the
// replies reads every S line as a station message without harm.
#include "core/trace/TraceFile.h"
#include "core/trace/TraceReplay.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace qx44 {
namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool SameLines(const std::vector<TraceLine>& a, const std::vector<TraceLine>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].milliseconds != b[i].milliseconds || a[i].direction != b[i].direction ||
            a[i].session != b[i].session || a[i].bytes != b[i].bytes) {
            return false;
        }
    }
    return true;
}

// The lines in the plainest form the reader takes: each connection a line of its own.
std::string Written(const std::vector<TraceLine>& lines) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    int session = 0;
    for (const TraceLine& line : lines) {
        for (; session < line.session; ++session) {
            text += "# connected\n";
        }
        text += std::to_string(line.milliseconds) + ' ' + line.direction;
        for (const std::uint8_t byte : line.bytes) {
            text += ' ';
            text += kDigits[byte >> 4];
            text += kDigits[byte & 0x0F];
        }
        text += '\n';
    }
    return text;
}

} // namespace
} // namespace qx44

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qx44;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::string error;
    const auto lines = TraceFile::Parse(in, error);
    if (!lines) {
        Check(error.starts_with("line "));
        return 0;
    }
    int number = 0;
    int session = 0;
    std::vector<std::uint8_t> replies;
    for (const TraceLine& line : *lines) {
        Check(line.number > number && line.session >= session &&
              (line.direction == 'H' || line.direction == 'S'));
        number = line.number;
        session = line.session;
        if (line.direction == 'S') {
            replies.insert(replies.end(), line.bytes.begin(), line.bytes.end());
        }
    }

    std::istringstream again(Written(*lines));
    const auto reread = TraceFile::Parse(again, error);
    Check(reread && SameLines(*lines, *reread));

    // The station's replies as the trace holds them, and as they would come cut short.
    TraceReplay::CompareReplies(*lines, replies);
    replies.resize(replies.size() / 2);
    TraceReplay::CompareReplies(*lines, replies);
    return 0;
}
