#include "core/keyboard/KeyRouter.h"

#include "core/keyboard/CKBHardware.h"
#include "core/settings/CQX44Setting.h"

namespace qx44 {

KeyRouter::KeyRouter(IKeySender& keys, IVideoPlayerInput& player, IKeyRoutingWindow& window,
                     const IKeyboardState& keyboard)
    : keys_(keys), player_(player), window_(window), keyboard_(keyboard) {}

void KeyRouter::LoadSettings() {
    const CQX44Setting settings;
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    settings.GetKeySet1(first, second);
    localVideoKeys_.SetKeySet(0, first, second);
    settings.GetKeySet2(first, second);
    localVideoKeys_.SetKeySet(1, first, second);
    localBrowserEnabled_ = settings.GetLocalVideoEnable();
}

void KeyRouter::OnKeyDown(std::uint32_t key, int repeat, std::uint32_t flags) {
    if (key == CKBHardware::kEchoVirtualKey) {
        return;
    }
    if (player_.IsShown()) {
        // The player acts on releases; the press is only remembered so that its release, should
        // it come after the player has closed, is not sent to a host that never saw the press. A
        // repeat is no new key: it must not push an earlier key out of the record's two places.
        if (!keysDownInPlayer_.Contains(key)) {
            keysDownInPlayer_.Add(key, flags);
        }
        localVideoKeys_.ClearFired();
        localVideoKeys_.ClearPending();
        return;
    }
    if (localBrowserEnabled_) {
        if (localVideoKeys_.OnKeyDown(key, repeat, flags) == CLocalVideoKeys::kHeldBack) {
            return;
        }
        SendPendingPresses();
    }
    keys_.SendKeyDown(key, repeat, flags);
}

void KeyRouter::OnKeyUp(std::uint32_t key, int repeat, std::uint32_t flags) {
    if (key == CKBHardware::kEchoVirtualKey) {
        return;
    }
    if (localBrowserEnabled_ && localVideoKeys_.IsFired()) {
        // The rest of a shortcut that has just fired: the host never saw these keys go down.
        localVideoKeys_.ClearFired();
        localVideoKeys_.ClearPending();
        return;
    }
    if (player_.IsShown()) {
        ReleaseInPlayer(key, repeat, flags);
        return;
    }
    if (localBrowserEnabled_) {
        switch (localVideoKeys_.OnKeyUp(key, repeat, flags, keyboard_)) {
        case CLocalVideoKeys::kSwallowed:
            return;
        case CLocalVideoKeys::kFired:
            window_.OpenLocalBrowser();
            localVideoKeys_.ClearPending();
            return;
        default:
            SendPendingPresses();
            break;
        }
    }
    // A key pressed in the player was not seen going down by the host, unless it went on
    // repeating after the player had closed or was already down before the player opened.
    if (keysDownInPlayer_.Contains(key)) {
        keysDownInPlayer_.Remove(key);
        if (!keys_.IsDownOnHost(flags)) {
            return;
        }
    }
    keys_.SendKeyUp(key, repeat, flags, false);
}

void KeyRouter::ForgetHeldKeys() {
    localVideoKeys_.ClearPending();
    localVideoKeys_.ClearFired();
    keysDownInPlayer_.Clear();
}

void KeyRouter::ReleaseInPlayer(std::uint32_t key, int repeat, std::uint32_t flags) {
    // This release is dealt with here, so a later release of the same key is a new one. A press
    // still held back was never sent and its release went to the player: sending it later would
    // leave the key down on the host.
    keysDownInPlayer_.Remove(key);
    localVideoKeys_.ClearPending();

    const int exitKind = player_.CheckExitKeys(key, repeat, flags);
    const bool exitFired = exitKind != IVideoPlayerInput::kNoExitKey;
    if (exitFired && player_.IsLocalMode()) {
        window_.MediaRequest(nullptr);
        return;
    }
    if (exitFired) {
        window_.ClosePlayer();
        keys_.SendMediaKeyNotice();
    } else {
        player_.HandleKey(key, repeat, flags);
    }
    keys_.SendKeyUp(IKeySender::kPlayerReleaseKey, repeat, flags, true);
}

void KeyRouter::SendPendingPresses() {
    if (!localVideoKeys_.HasPending()) {
        return;
    }
    while (const auto pending = localVideoKeys_.PopPending()) {
        keys_.SendKeyDown(pending->key, pending->repeat, pending->flags);
    }
    localVideoKeys_.ClearFired();
}

} // namespace qx44
