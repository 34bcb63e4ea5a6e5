#pragma once

#include <string>
#include <vector>

namespace qx44 {

// What the key routing asks of the station; every call comes on the UI thread.
class IKeyRoutingWindow {
public:
    virtual ~IKeyRoutingWindow() = default;

    // Hides the player and brings the text screen back.
    virtual void ClosePlayer() = 0;
    // nullptr asks for no list, which closes the player; false when media requests are off.
    virtual bool MediaRequest(const std::vector<std::string>* list) = 0;
    // Runs the local browser; it may start playing what the user picks.
    virtual void OpenLocalBrowser() = 0;
};

} // namespace qx44
