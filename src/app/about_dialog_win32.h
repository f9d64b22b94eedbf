// The splash dialog CopyrightDlg and the About dialog AboutDlg share one procedure.
#pragma once
#include <windows.h>

inline constexpr UINT_PTR SplashTimerId = 520;

// Acts as the About dialog for AboutDlg and as the splash for CopyrightDlg.
INT_PTR CALLBACK SplashAboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Paints control IDC_LINK_LABEL as a blue underlined link; all else goes to its previous procedure.
LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
