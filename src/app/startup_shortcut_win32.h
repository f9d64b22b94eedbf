// COM on the GUI thread, and the shortcut the program makes through it (startup_shortcut_win32.cpp).
//
// Start with Windows: a shortcut in the user's Startup folder that starts this program with the
// options it was started with ("/F" the settings name, "/D" the pause after keys). Each settings
// name has a shortcut of its own ("Tamblix scanner.lnk" for "/Fscanner", "Tamblix.lnk" without
// "/F"), so each copy serving its own device starts by itself. Call on a thread in a COM
// apartment (the GUI thread is one for the whole run).
#pragma once
#include <cstddef>

// Makes the calling thread a single-threaded COM apartment for its lifetime. The shell calls
// of the dialogs need one: the log dialog's folder browser (SHBrowseForFolderA) and the About
// dialog's link (ShellExecuteA, whose verbs may be shell extensions activated through COM).
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

// The shortcut of the current settings name is in the Startup folder.
bool StartupShortcutExists();
// Makes (on) or removes (off) the shortcut of the current settings name; a shortcut already
// there is made anew, with the options of this run. True when the shortcut now is there (on)
// or is not (off).
bool SetStartupShortcut(bool on);
// The full path of the shortcut of the current settings name in `path` (`capacity` units with
// the terminator); false when the Startup folder is unknown or the path does not fit.
bool StartupShortcutPath(wchar_t* path, std::size_t capacity);
