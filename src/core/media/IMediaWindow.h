#pragma once

namespace qx44 {

// What switching between the text screen and the player asks of the station. UI thread only.
class IMediaWindow {
public:
    virtual ~IMediaWindow() = default;
    // Hides the text screen and the status line while the player covers them.
    virtual void HideTerminalScreens() = 0;
    // Shows the text screen again, and the status line when it is switched on, gives the text
    // screen the keyboard and repaints every cell of both.
    virtual void ShowTerminalScreens() = 0;
    // The keys pressed while the player was shown are the host's again.
    virtual void ClearKeyDownRecord() = 0;
};

} // namespace qx44
