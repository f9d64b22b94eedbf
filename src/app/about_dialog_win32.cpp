// The splash and About dialogs and their logo. The logo bitmap is drawn for 96 DPI; at other
// DPIs it is stretched with halftoning, so that it keeps its place in the dialog, which grows
// with the DPI.
#include "app/about_dialog_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <iterator>

#include "common/ui_win32.h"
#include "common/wide_text_win32.h"
#include "config/settings.h"
#include "ids_shell.h"

namespace {

// A 24-bit DIB section: a bitmap without alpha, which the static control shows itself (it
// copies bitmaps that have alpha) and hands back at the next STM_SETIMAGE.
HBITMAP NewBitmap(HDC dc, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// HALFTONE averages the source pixels that fall on each target pixel; SetStretchBltMode asks
// for SetBrushOrgEx after choosing it.
void Stretch(HBITMAP source, const BITMAP& from, HBITMAP target, int width, int height) {
  HDC sourceDc = CreateCompatibleDC(nullptr);
  HDC targetDc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldSource = SelectObject(sourceDc, source);
  HGDIOBJ oldTarget = SelectObject(targetDc, target);
  SetStretchBltMode(targetDc, HALFTONE);
  SetBrushOrgEx(targetDc, 0, 0, nullptr);
  StretchBlt(targetDc, 0, 0, width, height, sourceDc, 0, 0, from.bmWidth, from.bmHeight, SRCCOPY);
  SelectObject(sourceDc, oldSource);
  SelectObject(targetDc, oldTarget);
  DeleteDC(sourceDc);
  DeleteDC(targetDc);
}

HBITMAP ScaledLogo(UINT dpi) {
  auto* source = static_cast<HBITMAP>(LoadImageA(AppInstance, MAKEINTRESOURCEA(IDB_LOGO),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (source == nullptr) return nullptr;
  BITMAP from{};
  GetObjectA(source, sizeof from, &from);
  const int width = ScaleToDpi(from.bmWidth, dpi);
  const int height = ScaleToDpi(from.bmHeight, dpi);
  HBITMAP scaled = NewBitmap(nullptr, width, height);
  if (scaled != nullptr) Stretch(source, from, scaled, width, height);
  DeleteObject(source);
  return scaled;
}

// The control frees no image itself: the one it gives back (the template's or an earlier
// scaled one) is released here.
void SetLogo(HWND logo, HBITMAP image) {
  auto* previous = reinterpret_cast<HBITMAP>(
      SendMessageA(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image)));
  if (previous != nullptr) DeleteObject(previous);
}

void ShowLogoAt(HWND dialog, UINT dpi) {
  if (HBITMAP scaled = ScaledLogo(dpi)) SetLogo(GetDlgItem(dialog, IDC_LOGO), scaled);
}

// Called with every message of a dialog that shows the logo (control IDC_LOGO): at the
// initialisation and after a DPI change (kAfterDpiChangeMessage) the logo is drawn stretched to
// the dialog's DPI, at the dialog's end it is released. True for the DPI message, which the
// caller then answers as handled; the other messages go on as before.
bool KeepLogoAtDpi(HWND dialog, UINT message, WPARAM wparam) {
  switch (message) {
    case WM_INITDIALOG:
      ShowLogoAt(dialog, WindowDpi(dialog));
      return false;
    case kAfterDpiChangeMessage:
      ShowLogoAt(dialog, static_cast<UINT>(wparam));
      return true;
    case WM_DESTROY:
      SetLogo(GetDlgItem(dialog, IDC_LOGO), nullptr);
      return false;
    default:
      return false;
  }
}

constexpr const char ProjectPage[] = "https://tamblix.example.org/";

HFONT LinkFont = nullptr;
WNDPROC LinkPreviousProc = nullptr;

INT_PTR SplashProc(HWND dialog, UINT message) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemText932(dialog, IDC_VERSION_LABEL, kProductVersion);
      SetTimer(dialog, SplashTimerId, 2000, nullptr);
      return TRUE;
    case WM_TIMER:
    case WM_LBUTTONDOWN:
      KillTimer(dialog, SplashTimerId);
      EndDialog(dialog, 1);
      return TRUE;
    default:
      return FALSE;
  }
}

void MakeLinkFont(HWND link) {
  LOGFONTA description{};
  HFONT current = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
  if (current == nullptr) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  GetObjectA(current, sizeof description, &description);
  description.lfUnderline = TRUE;
  // The font of the previous opening is released here, once the dialog that used it is gone.
  if (LinkFont != nullptr) DeleteObject(LinkFont);
  LinkFont = CreateFontIndirectA(&description);
  SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(LinkFont), FALSE);
}

void InitAbout(HWND dialog) {
  AboutWindow = dialog;
  SetDlgItemText932(dialog, IDC_VERSION_LABEL, kProductVersion);
  // The string table holds UTF-16 text; the wide call keeps it whatever the ANSI code page.
  wchar_t text[1000] = {};
  LoadStringW(AppInstance, IDS_ABOUT_TEXT, text, static_cast<int>(std::size(text)));
  SetDlgItemTextW(dialog, IDC_ABOUT_TEXT, text);
  HWND link = GetDlgItem(dialog, IDC_LINK_LABEL);
  MakeLinkFont(link);
  LinkPreviousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LinkLabelProc)));
}

void EndAbout(HWND dialog) {
  EndDialog(dialog, 1);
  AboutWindow = nullptr;
}

INT_PTR AboutProc(HWND dialog, UINT message, WPARAM wparam) {
  switch (message) {
    case WM_INITDIALOG:
      InitAbout(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_LINK_LABEL) {
        ShellExecuteA(dialog, "open", ProjectPage, nullptr, nullptr, SW_SHOWNORMAL);
        return TRUE;
      }
      if (LOWORD(wparam) == IDOK) {
        EndAbout(dialog);
        return TRUE;
      }
      return FALSE;  // the cancel command (Esc) does nothing
    case WM_CLOSE:
      EndAbout(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}
}  // namespace

// Both dialogs keep their logo at their DPI. The mode is fixed at initialisation and kept in the
// dialog: the About dialog is the one with an OK button. This gives every opening of AboutDlg the About behaviour, also when it is opened
// before the tray menu was ever loaded, and the caption-less splash always the splash's.
INT_PTR CALLBACK SplashAboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  constexpr LONG_PTR kAboutMode = 1;
  if (message == WM_DPICHANGED) return PostAfterDpiChange(dialog, wparam);
  if (KeepLogoAtDpi(dialog, message, wparam)) return TRUE;
  if (message == WM_INITDIALOG) {
    const bool about = GetDlgItem(dialog, IDOK) != nullptr;
    SetWindowLongPtrA(dialog, DWLP_USER, about ? kAboutMode : 0);
  }
  if (GetWindowLongPtrA(dialog, DWLP_USER) != kAboutMode) return SplashProc(dialog, message);
  return AboutProc(dialog, message, wparam);
}

LRESULT CALLBACK LinkLabelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return CallWindowProcW(LinkPreviousProc, window, message, wparam, lparam);
  wchar_t text[100] = {};
  const int length = GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HGDIOBJ previous = SelectObject(dc, LinkFont);
  SetTextColor(dc, RGB(0, 0, 255));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetBkMode(dc, OPAQUE);
  TextOutW(dc, 0, 0, text, length);
  SelectObject(dc, previous);
  EndPaint(window, &paint);
  return 0;
}
