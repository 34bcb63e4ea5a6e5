#pragma once

#include "ui/app/KeyRepeater.h"

#include <optional>

namespace qx44 {

// A held key on X11 normally reports every repeat as a release and a press, and Qt tells the
// pair from a real release only if the press has already arrived when it looks; on a busy
// machine it sometimes has not, and the host would see the key let go. Asking the server for
// detectable auto-repeat makes it send repeats as presses alone, so no release is ever guessed.
class X11KeyRepeat {
public:
    X11KeyRepeat() = delete;

    // Does nothing on other platforms (Wayland, offscreen) or a server without the keyboard
    // extension; returns whether the server now sends repeats as presses alone.
    static bool MakeDetectable();

    // The server's repeat delay and interval and the keys it repeats (it leaves the modifiers
    // alone); nothing on other platforms or when the user has turned repeating off.
    static std::optional<KeyRepeater::Settings> ServerRepeat();
};

} // namespace qx44
