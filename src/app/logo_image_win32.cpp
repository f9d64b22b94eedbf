// The logo bitmap is drawn for 96 DPI; at other DPIs it is stretched with halftoning, so that it
// keeps its place in the dialog, which grows with the DPI.
#include "app/logo_image_win32.h"

#include "common/dpi_win32.h"
#include "common/shell_state_win32.h"
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

}  // namespace

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
