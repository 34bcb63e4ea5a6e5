#pragma once

#include "core/screen/IPainter.h"

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace qx44::screentest {

// Writes down everything a paint draws, one line per call, in a form tests can state directly:
// "fill L,T,R,B colour", "line X,Y>X,Y colour", "glyph L,T,R,B U+XXXX colour". Colours show as
// rrggbb unless a test gives them names.
class RecordingPainter : public IPainter {
public:
    std::vector<std::string> calls;

    void Name(RgbColor colour, std::string name) { names_[Key(colour)] = std::move(name); }

    void FillRect(const PixelRect& r, RgbColor colour) override {
        calls.push_back("fill " + Rect(r) + " " + Colour(colour));
    }
    void Line(PixelPoint from, PixelPoint to, RgbColor colour) override {
        calls.push_back("line " + std::to_string(from.x) + "," + std::to_string(from.y) + ">" +
                        std::to_string(to.x) + "," + std::to_string(to.y) + " " + Colour(colour));
    }
    void Glyph(const PixelRect& cell, char16_t code, RgbColor colour) override {
        char unit[8];
        std::snprintf(unit, sizeof unit, "U+%04X", static_cast<unsigned>(code));
        calls.push_back("glyph " + Rect(cell) + " " + unit + " " + Colour(colour));
    }

    // The calls joined with " | ", for tables that state a whole paint on one line.
    std::string Joined() const {
        std::string out;
        for (const std::string& call : calls) {
            out += out.empty() ? call : " | " + call;
        }
        return out;
    }

    std::vector<std::string> Starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& call : calls) {
            if (call.rfind(prefix, 0) == 0) {
                out.push_back(call);
            }
        }
        return out;
    }

private:
    static std::tuple<int, int, int> Key(RgbColor c) { return {c.red, c.green, c.blue}; }

    static std::string Rect(const PixelRect& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom);
    }

    std::string Colour(RgbColor colour) const {
        if (const auto name = names_.find(Key(colour)); name != names_.end()) {
            return name->second;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02x%02x%02x", colour.red, colour.green, colour.blue);
        return hex;
    }

    std::map<std::tuple<int, int, int>, std::string> names_;
};

} // namespace qx44::screentest
