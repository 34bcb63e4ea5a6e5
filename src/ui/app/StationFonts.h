#pragma once

namespace qx44 {

// Makes the station's faces "ASCII VGA", "ASCII EGA" and "ASCII" available under those names.
// Faces fontconfig knows already (the installed package's) are left to it. Each other one is
// copied from the program's own files into the user's font folder (UserFontFolder), where
// fontconfig offers it to every program, leaving files already there alone, and registered
// with this program's font database, which does not wait for fontconfig to look again.
// Call once at start-up, on the UI thread, after the application object exists.
void InstallStationFonts();

} // namespace qx44
