#pragma once

namespace qx44 {

// Makes the station's faces "ASCII VGA", "ASCII EGA" and "ASCII" available under those names:
// copies the font files the program carries into the user's font folder (UserFontFolder), where
// fontconfig offers them to every program, leaving files already there alone, and registers
// them with this program's font database, which does not wait for fontconfig to look again.
// Call once at start-up, on the UI thread, after the application object exists.
void InstallStationFonts();

} // namespace qx44
