// Reads how a dialog of the running program is laid out at the display's DPI: whether the text
// of each control fits it, whether controls overlap or stand outside the dialog, the size of a
// control, the dialog's DPI; sends it a DPI change; and reads what the program's manifest
// declares, as the system's own activation-context reader sees it.
//
//   layoutdriver [/caption TEXT | /splash] COMMAND ARGS... [COMMAND ARGS...]...
//     wait-window SECS       until the dialog exists (prints "window FOUND"); /splash: the
//                            visible caption-less dialog with the version label
//     layout EXE TEMPLATE    prints "control ID CLASS LEFT TOP WIDTH HEIGHT client W H need W H"
//                            for each control and "controls N faults M"; a fault is "clipped ID <text>"
//                            (the text needs more than the control has), "overlap ID ID" (two
//                            controls other than group boxes share pixels), "outside ID"
//                            (beyond the dialog's client area). The texts are measured in the
//                            font the dialog manager makes for the program's TEMPLATE here.
//     size ID                prints "size ID WIDTH HEIGHT", the size of control ID
//     dpi                    prints "dpi N", the dialog's DPI
//     rect                   prints "rect LEFT TOP WIDTH HEIGHT", the dialog on the screen
//     dpichanged DPI         sends WM_DPICHANGED for DPI, with the dialog's own rectangle as the
//                            suggested one (in the program's memory)
//     sleep MS
//     manifest EXE           prints "supportedOS {GUID}" for each entry of the compatibility
//                            section, "dpiAware VALUE" and "dpiAwareness VALUE"
// Exit status 0 when every command succeeded (and no layout had a fault), 1 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver_support_win32.h"

namespace {

const char* Caption = "Tamblix( TM ) Ver.2.5.2";
bool Splash = false;
HWND Dialog = nullptr;

BOOL CALLBACK FindSplash(HWND w, LPARAM) {
  char cls[32] = {};
  char title[8] = {};
  GetClassNameA(w, cls, sizeof cls);
  GetWindowTextA(w, title, sizeof title);
  if (std::strcmp(cls, "#32770") == 0 && title[0] == 0 && IsWindowVisible(w) &&
      GetDlgItem(w, 1058) != nullptr) {
    Dialog = w;
    return FALSE;
  }
  return TRUE;
}

bool WaitWindow(int secs) {
  if (!Splash) return WaitForDialog(Caption, secs, true, Dialog);
  for (int i = 0; i < secs * 20 && Dialog == nullptr; ++i) {
    EnumWindows(FindSplash, 0);
    if (Dialog == nullptr) Sleep(50);
  }
  return Dialog != nullptr;
}

LRESULT Send(HWND w, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(w, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A hidden copy of the program's dialog made here from its template: what it is given by
// WM_GETFONT is the font the program's dialog draws with, at this process's (the same) DPI.
struct TemplateCopy {
  HMODULE module = nullptr;
  HWND dialog = nullptr;
  HFONT font = nullptr;
  TemplateCopy(const char* exe, const char* name) {
    module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module) dialog = CreateDialogParamA(module, name, nullptr, &QuietProc, 0);
    if (dialog) font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  }
  ~TemplateCopy() {
    if (dialog) DestroyWindow(dialog);
    if (module) FreeLibrary(module);
  }
  TemplateCopy(const TemplateCopy&) = delete;
  TemplateCopy& operator=(const TemplateCopy&) = delete;
};

struct Control {
  HWND window;
  int id;
  char cls[32];
  RECT rect;  // in the dialog's client coordinates
  SIZE client;
  SIZE need;  // what its content needs; 0 x 0 when it is not measured
};

std::vector<wchar_t> WideText(HWND w) {
  std::vector<wchar_t> text(static_cast<std::size_t>(Send(w, WM_GETTEXTLENGTH, 0, 0)) + 1, 0);
  Send(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return text;
}

LONG TextWidth(HFONT font, const wchar_t* text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE s{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return s.cx;
}

LONG TextAscent(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmAscent;
}

// The text as the static control draws it (DrawText with the flags its style gives), wrapped
// at the control's width.
SIZE StaticNeed(HWND w, HFONT font, LONG width) {
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  const LONG type = style & SS_TYPEMASK;
  if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
      type != SS_SIMPLE) {
    return SIZE{0, 0};
  }
  const std::vector<wchar_t> text = WideText(w);
  if (text[0] == 0) return SIZE{0, 0};
  UINT flags = DT_CALCRECT | DT_EXPANDTABS;
  if (type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE) flags |= DT_WORDBREAK;
  if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.data(), -1, &r, flags);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right, r.bottom};
}

// The button's own measure of what its text and its check mark need (BCM_GETIDEALSIZE); a group
// box's caption needs its text's width.
SIZE ButtonNeed(HWND w, HFONT font) {
  if ((GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
    return SIZE{TextWidth(font, WideText(w).data()), 0};
  }
  RemoteBlock block(w);
  SIZE ideal{0, 0};
  if (!block.Ok() || !block.Write(0, &ideal, sizeof ideal)) return ideal;
  if (!Send(w, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(block.At(0)))) return SIZE{0, 0};
  block.Read(0, &ideal, sizeof ideal);
  return ideal;
}

// The cell's text (the list is in the program's process, so the text buffer is too).
void CellText(HWND list, const RemoteBlock& block, int row, int column, wchar_t* out) {
  constexpr SIZE_T kTextAt = 512;
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(block.At(kTextAt));
  item.cchTextMax = 64;
  const wchar_t empty = 0;
  out[0] = 0;
  if (!block.Write(0, &item, sizeof item) || !block.Write(kTextAt, &empty, sizeof empty)) return;
  Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0)));
  block.Read(kTextAt, out, 64 * sizeof(wchar_t));
  out[63] = 0;
}

// A grid without scroll bars cuts off what lies beyond its client area. Its texts must show:
// the right end of the widest text of the last column (centred in it, as the grids' code
// columns are) and the last row's text down to its baseline (the grids' sizes in dialog units
// leave the descent of the last row on the border at 96 DPI).
SIZE ListNeed(HWND w, HFONT font) {
  HWND header = reinterpret_cast<HWND>(Send(w, LVM_GETHEADER, 0, 0));
  const int columns = static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0));
  const int rows = static_cast<int>(Send(w, LVM_GETITEMCOUNT, 0, 0));
  RemoteBlock block(w);
  if (columns == 0 || rows == 0 || !block.Ok()) return SIZE{0, 0};
  LONG lastLeft = 0;
  for (int c = 0; c + 1 < columns; ++c) lastLeft += static_cast<LONG>(Send(w, LVM_GETCOLUMNWIDTH, c, 0));
  const LONG lastWidth = static_cast<LONG>(Send(w, LVM_GETCOLUMNWIDTH, columns - 1, 0));
  LONG widest = 0;
  for (int r = 0; r < rows; ++r) {
    wchar_t text[64];
    CellText(w, block, r, columns - 1, text);
    const LONG width = TextWidth(font, text);
    if (width > widest) widest = width;
  }
  RECT last{LVIR_BOUNDS, 0, 0, 0};
  if (!block.Write(0, &last, sizeof last) ||
      !Send(w, LVM_GETITEMRECT, rows - 1, reinterpret_cast<LPARAM>(block.At(0))) ||
      !block.Read(0, &last, sizeof last)) {
    return SIZE{0, 0};
  }
  return SIZE{lastLeft + (lastWidth + widest) / 2, last.top + TextAscent(font)};
}

SIZE Need(const Control& c, HFONT font) {
  if (!std::strcmp(c.cls, "Static")) return StaticNeed(c.window, font, c.client.cx);
  if (!std::strcmp(c.cls, "Button")) return ButtonNeed(c.window, font);
  if (!std::strcmp(c.cls, "SysListView32")) return ListNeed(c.window, font);
  return SIZE{0, 0};
}

std::vector<Control> Controls(HFONT font) {
  std::vector<Control> all;
  for (HWND w = GetWindow(Dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (!IsWindowVisible(w)) continue;
    Control c{w, static_cast<short>(GetDlgCtrlID(w)), {}, {}, {}, {}};
    GetClassNameA(w, c.cls, sizeof c.cls);
    GetWindowRect(w, &c.rect);
    MapWindowPoints(nullptr, Dialog, reinterpret_cast<POINT*>(&c.rect), 2);
    RECT client{};
    GetClientRect(w, &client);
    c.client = SIZE{client.right, client.bottom};
    c.need = Need(c, font);
    all.push_back(c);
  }
  return all;
}

bool GroupBox(const Control& c) {
  return !std::strcmp(c.cls, "Button") &&
         (GetWindowLongW(c.window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

void PrintText(HWND w) {
  const std::vector<wchar_t> text = WideText(w);
  char narrow[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, text.data(), -1, narrow, sizeof narrow - 1, nullptr, nullptr);
  for (char* p = narrow; *p; ++p) {
    if (*p == '\r' || *p == '\n') *p = ' ';
  }
  std::printf("%s\n", narrow);
}

// The dialog manager rounds each control's position and size to pixels on its own, so two
// controls that touch in dialog units may share one row or column of pixels at 144 DPI.
bool Overlap(const Control& a, const Control& b) {
  RECT shared{};
  if (GroupBox(a) || GroupBox(b) || !IntersectRect(&shared, &a.rect, &b.rect)) return false;
  return shared.right - shared.left > 1 && shared.bottom - shared.top > 1;
}

int Faults(const std::vector<Control>& all) {
  RECT area{};
  GetClientRect(Dialog, &area);
  int faults = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Control& c = all[i];
    if (c.need.cx > c.client.cx || c.need.cy > c.client.cy) {
      std::printf("clipped %d ", c.id);
      PrintText(c.window);
      ++faults;
    }
    RECT inside{};
    IntersectRect(&inside, &c.rect, &area);
    if (!EqualRect(&inside, &c.rect)) {
      std::printf("outside %d\n", c.id);
      ++faults;
    }
    for (std::size_t k = i + 1; k < all.size(); ++k) {
      if (!Overlap(c, all[k])) continue;
      std::printf("overlap %d %d\n", c.id, all[k].id);
      ++faults;
    }
  }
  return faults;
}

bool Layout(const char* exe, const char* name) {
  TemplateCopy copy(exe, name);
  if (!copy.font) {
    std::printf("error no font from template %s of %s\n", name, exe);
    return false;
  }
  const std::vector<Control> all = Controls(copy.font);
  for (const Control& c : all) {
    std::printf("control %d %s %ld %ld %ld %ld client %ld %ld need %ld %ld\n", c.id, c.cls,
                c.rect.left, c.rect.top, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top,
                c.client.cx, c.client.cy, c.need.cx, c.need.cy);
  }
  const int faults = Faults(all);
  std::printf("controls %zu faults %d\n", all.size(), faults);
  return faults == 0;
}

// GetDpiForWindow exists from Windows 10, version 1607; before, a process has the one DPI.
UINT DialogDpi() {
  using GetDpi = UINT(WINAPI*)(HWND);
  auto get = reinterpret_cast<GetDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32"), "GetDpiForWindow")));
  if (get) return get(Dialog);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

bool DpiChanged(int dpi) {
  RECT own{};
  GetWindowRect(Dialog, &own);
  RemoteBlock block(Dialog);
  if (!block.Ok() || !block.Write(0, &own, sizeof own)) return false;
  Send(Dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(block.At(0)));
  return true;
}

// The compatibility entries in their present layout (the identifier, the kind, and the highest
// version tested), which the reader returns after a count padded to eight bytes.
struct CompatibilityEntry {
  GUID id;
  DWORD kind;
  ULONGLONG maxVersionTested;
};

void PrintSetting(HANDLE context, const wchar_t* space, const wchar_t* name) {
  wchar_t value[256] = {};
  if (!QueryActCtxSettingsW(0, context, space, name, value, 256, nullptr)) value[0] = 0;
  std::printf("%ls %ls\n", name, value);
}

bool Manifest(const char* exe) {
  wchar_t path[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, exe, -1, path, MAX_PATH);
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = path;
  request.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE context = CreateActCtxW(&request);
  if (context == INVALID_HANDLE_VALUE) {
    std::printf("error the manifest of %s does not load (%lu)\n", exe, GetLastError());
    return false;
  }
  alignas(8) unsigned char info[2048] = {};
  SIZE_T size = 0;
  if (QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, info,
                   sizeof info, &size)) {
    DWORD count = 0;
    std::memcpy(&count, info, sizeof count);
    for (DWORD i = 0; i < count && 8 + (i + 1) * sizeof(CompatibilityEntry) <= size; ++i) {
      CompatibilityEntry entry{};
      std::memcpy(&entry, info + 8 + i * sizeof entry, sizeof entry);
      const GUID& g = entry.id;
      std::printf("supportedOS {%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}\n", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    }
  }
  PrintSetting(context, nullptr, L"dpiAware");
  PrintSetting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness");
  ReleaseActCtx(context);
  return true;
}

// Runs the command at argv[i]; returns the number of arguments consumed, or -1 on failure.
int Run(int argc, char** argv, int i) {
  const char* c = argv[i];
  if (!std::strcmp(c, "manifest")) {
    return NeedArgs(argc, i, 1) && Manifest(argv[i + 1]) ? 1 : -1;
  }
  if (!std::strcmp(c, "sleep")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    Sleep(static_cast<DWORD>(std::atoi(argv[i + 1])));
    return 1;
  }
  if (!std::strcmp(c, "wait-window")) {
    if (!NeedArgs(argc, i, 1) || !WaitWindow(std::atoi(argv[i + 1]))) return -1;
    std::printf("window FOUND\n");
    return 1;
  }
  if (!Dialog && !WaitWindow(10)) {
    std::printf("error no dialog\n");
    return -1;
  }
  if (!std::strcmp(c, "layout")) return NeedArgs(argc, i, 2) && Layout(argv[i + 1], argv[i + 2]) ? 2 : -1;
  if (!std::strcmp(c, "dpi")) {
    std::printf("dpi %u\n", DialogDpi());
    return 0;
  }
  if (!std::strcmp(c, "rect")) {
    RECT r{};
    GetWindowRect(Dialog, &r);
    std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (!std::strcmp(c, "dpichanged")) {
    return NeedArgs(argc, i, 1) && DpiChanged(std::atoi(argv[i + 1])) ? 1 : -1;
  }
  if (!std::strcmp(c, "size")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    RECT r{};
    if (!GetWindowRect(GetDlgItem(Dialog, std::atoi(argv[i + 1])), &r)) return -1;
    std::printf("size %s %ld %ld\n", argv[i + 1], r.right - r.left, r.bottom - r.top);
    return 1;
  }
  std::printf("error unknown command %s\n", c);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  // As DPI-aware as the program, so that the template's copy gets the font at the display's DPI.
  SetProcessDPIAware();
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&classes);
  int first = TakeCaption(argc, argv, Caption);
  if (first == 1 && argc > 1 && !std::strcmp(argv[1], "/splash")) {
    Splash = true;
    first = 2;
  }
  return RunCommands(argc, argv, first, Run);
}
