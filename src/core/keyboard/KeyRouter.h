#pragma once

#include "core/keyboard/CKeyDownRecord.h"
#include "core/keyboard/CLocalVideoKeys.h"
#include "core/keyboard/IKeyRoutingWindow.h"
#include "core/keyboard/IKeySender.h"
#include "core/keyboard/IKeyboardState.h"
#include "core/keyboard/IVideoPlayerInput.h"

#include <cstdint>

namespace qx44 {

// Decides where each key press and release of the terminal goes: to the host as station key
// bytes, held back while it may start a local-browser shortcut, to the video player, or nowhere.
// Owned by the station, whose keyboard calls OnKeyDown and OnKeyUp on the UI thread after the
// platform's own handling of the key.
class KeyRouter {
public:
    KeyRouter(IKeySender& keys, IVideoPlayerInput& player, IKeyRoutingWindow& window,
              const IKeyboardState& keyboard);

    // The two local-browser shortcuts and the local-browser switch, read from the settings when
    // the station loads its settings. Until then no shortcut is active.
    void LoadSettings();

    void OnKeyDown(std::uint32_t key, int repeat, std::uint32_t flags);
    void OnKeyUp(std::uint32_t key, int repeat, std::uint32_t flags);

    // At the station's start and when the host stops the player: releases of keys pressed
    // while the player was shown reach the host again from then on.
    void ClearKeyDownRecord() { keysDownInPlayer_.Clear(); }

    // The terminal lost the keyboard, so none of the keys it knows as held will report a release
    // here: presses held back for a shortcut are dropped unsent and nothing is remembered.
    void ForgetHeldKeys();

    bool IsLocalBrowserEnabled() const { return localBrowserEnabled_; }
    const CLocalVideoKeys& LocalVideoKeys() const { return localVideoKeys_; }

private:
    void ReleaseInPlayer(std::uint32_t key, int repeat, std::uint32_t flags);
    void SendPendingPresses();

    IKeySender& keys_;
    IVideoPlayerInput& player_;
    IKeyRoutingWindow& window_;
    const IKeyboardState& keyboard_;

    CKeyDownRecord keysDownInPlayer_;
    CLocalVideoKeys localVideoKeys_;
    bool localBrowserEnabled_ = false;
};

} // namespace qx44
