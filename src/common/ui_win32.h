// What the Win32 subsystems share of the user interface: the process's window handles, the
// message boxes, the common file dialog and the DPI windows are drawn at (ui_win32.cpp).
#pragma once
#include <windows.h>

#include <cstddef>

// ---- window handles -----------------------------------------------------------------------------

// Window handles shared by the Win32 layer: the hidden main window, the main dialog (owner of
// message boxes and sub-dialogs, home of the input and output displays IDC_INPUT_DISPLAY and
// IDC_OUTPUT_DISPLAY) and the About dialog while it is open. All are null when the window does
// not exist (MainDialogWindow is cleared when the dialog is destroyed). No timer carries the
// data interval: the reader's bounded port wait decides it.

extern HWND MainWindow;
extern HWND MainDialogWindow;
extern HWND AboutWindow;
extern HINSTANCE AppInstance;
// The main dialog, or another window of this program, is the foreground window (what is
// typed then goes to the main dialog's displays).
bool MainDialogInFront();
// The tray's context menu while it is open: loaded at each right click on the tray icon and
// released once it has closed, so a click that arrives meanwhile opens no second one.
extern HMENU TrayMenu;
// Reception runs from the main dialog's successful start to its stop (GUI thread only); the
// tray menu and the extended settings dialog leave alone what may not change meanwhile.
bool ReceptionRunning();
void SetReceptionRunning(bool running);

// Posted to MainDialogWindow when a state its caption and tray tip show changes: the device
// went missing or is back (SerialPort::DeviceMissing), the notice of a refused input comes or
// goes (reception_pipeline_win32.h), a log condition begins or ends (log_writer_win32.h).
inline constexpr UINT kPortStateMessage = WM_APP + 13;

// ---- message boxes and placement ----------------------------------------------------------------

// Every box is shown by the GUI thread; the reader thread posts what it has to say.

// Log writer notices: box owned by MainDialogWindow, "Tamblix( TM )", OK only, no icon.
// Returns when it is closed.
void ShowNotice(const char* text);
// Closes the notice boxes this thread shows (the program is ending: the main dialog's modal
// loop cannot end while a box's own loop runs above it).
void CloseNoticeBoxes();
// Port-open error box (-101/-102, -103, -104 settings refused, -105 a request of the last
// reception still held by the port's driver), owned by owner, "Tamblix", warning icon, topmost.
void ShowPortError(int code, HWND owner);
// The text of that box for code; nullptr when the code has no message.
const char* PortErrorText(int code);
// "Tamblix" box with the warning icon, topmost, owned by owner (the main dialog's messages).
void ShowWarning(HWND owner, const char* text);
// Centres the window on the desktop, brings it to the top and shows it.
void CenterOnDesktop(HWND window);

// ---- the common file dialog ---------------------------------------------------------------------

// The chooser's path buffer: room for 1023 characters and the terminator.
inline constexpr std::size_t kChooserPathSize = 1024;

// Runs the open (mode 0) or save (mode 1) dialog owned by owner. filter is a list of
// description/pattern pairs ending with an empty string; defaultExt may be null. buffer
// (kChooserPathSize bytes) is the starting point and receives the choice; nonzero when a file
// was confirmed.
int RunFileChooser(int mode, HWND owner, const char* filter, const char* defaultExt, char* buffer);

// ---- DPI ----------------------------------------------------------------------------------------

// The DPI a window is drawn at, and sizes made for 96 DPI in pixels scaled to it. The program is
// per-monitor DPI aware (its manifest), so the system scales nothing of it: dialog units follow
// the DPI by themselves, what is sized in pixels is scaled here.

// USER_DEFAULT_SCREEN_DPI: the DPI the pixel sizes of the program are made for.
inline constexpr UINT kDesignDpi = 96;

// The message a dialog posts itself on WM_DPICHANGED, with the new DPI as wparam, so that it
// sizes its pixels anew once the dialog manager has laid it out at that DPI.
inline constexpr UINT kAfterDpiChangeMessage = WM_APP + 14;

// The window's DPI: GetDpiForWindow where user32 has it (Windows 10, version 1607 and later),
// else the screen's (before, a process has one DPI, the system's).
UINT WindowDpi(HWND window);
// The system DPI: that of the taskbar's notification area.
UINT SystemDpi();
// pixels at 96 DPI as pixels at dpi, rounded down, so that scaled parts never outgrow a
// control sized in dialog units.
int ScaleToDpi(int pixels, UINT dpi);
// The answer to WM_DPICHANGED of a dialog that draws pixels: posts kAfterDpiChangeMessage with
// the new DPI (the low word of wparam) and leaves the message itself to the dialog manager,
// which in Per Monitor v2 scales the dialog, its controls and their fonts.
INT_PTR PostAfterDpiChange(HWND dialog, WPARAM wparam);
