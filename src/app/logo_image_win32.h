// The logo of the splash and About dialogs, kept at the dialog's DPI.
#pragma once
#include <windows.h>

// Called with every message of a dialog that shows the logo (control IDC_LOGO): at the
// initialisation and after a DPI change (kAfterDpiChangeMessage) the logo is drawn stretched to
// the dialog's DPI, at the dialog's end it is released. True for the DPI message, which the
// caller then answers as handled; the other messages go on as before.
bool KeepLogoAtDpi(HWND dialog, UINT message, WPARAM wparam);
