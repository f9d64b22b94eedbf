// Start with Windows: a shortcut in the user's Startup folder that starts this program with the
// options it was started with ("/F" the settings name, "/D" the pause after keys). Each settings
// name has a shortcut of its own ("Tamblix scanner.lnk" for "/Fscanner", "Tamblix.lnk" without
// "/F"), so each copy serving its own device starts by itself. Call on a thread in a COM
// apartment (the GUI thread is one for the whole run).
#pragma once
#include <cstddef>

// The shortcut of the current settings name is in the Startup folder.
bool StartupShortcutExists();
// Makes (on) or removes (off) the shortcut of the current settings name; a shortcut already
// there is made anew, with the options of this run. True when the shortcut now is there (on)
// or is not (off).
bool SetStartupShortcut(bool on);
// The full path of the shortcut of the current settings name in `path` (`capacity` units with
// the terminator); false when the Startup folder is unknown or the path does not fit.
bool StartupShortcutPath(wchar_t* path, std::size_t capacity);
