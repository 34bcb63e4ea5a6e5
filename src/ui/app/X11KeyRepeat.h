#pragma once

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
};

} // namespace qx44
