#pragma once

#include "core/screen/IScreenMouse.h"

#include <string>
#include <vector>

namespace qx44::test {

// Clicks as readable lines: "down 10,5", "up 10,5", "double 3,255".
class RecordingMouse : public IScreenMouse {
public:
    void MouseDown(int column, int row) override { Add("down", column, row); }
    void MouseUp(int column, int row) override { Add("up", column, row); }
    void MouseDoubleClick(int column, int row) override { Add("double", column, row); }
    std::vector<std::string> events;

private:
    void Add(const char* what, int column, int row) {
        events.push_back(std::string(what) + " " + std::to_string(column) + "," +
                         std::to_string(row));
    }
};

} // namespace qx44::test
