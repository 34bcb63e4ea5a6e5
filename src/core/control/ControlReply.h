#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qx44 {

// One reply of the control port: a JSON object on one line, {"ok":true,...} or
// {"ok":false,"error":"..."}. Fields keep the order they were added in, so replies read the same
// every time and scripts may compare them as text.
class ControlReply {
public:
    static ControlReply Ok();
    static ControlReply Error(std::string_view message);

    ControlReply& AddText(std::string_view key, std::string_view text);
    ControlReply& AddNumber(std::string_view key, std::int64_t number);
    ControlReply& AddBool(std::string_view key, bool value);
    ControlReply& AddTextArray(std::string_view key, std::span<const std::string> texts);
    // `json` must already be one well-formed JSON value (an object or array built elsewhere).
    ControlReply& AddRaw(std::string_view key, std::string_view json);

    bool IsOk() const { return ok_; }
    // The whole object, ended by a line feed.
    std::string ToLine() const;
    // The added fields alone as one JSON object, to nest in another reply.
    std::string Fields() const;

    // `text` as a quoted JSON string. Valid UTF-8 passes through; each byte of ill-formed UTF-8
    // is read as Latin-1 and escaped, so device bytes never make the line invalid JSON.
    static std::string Quote(std::string_view text);

private:
    explicit ControlReply(bool ok);
    void AddKey(std::string_view key);

    bool ok_;
    std::string body_;
};

} // namespace qx44
