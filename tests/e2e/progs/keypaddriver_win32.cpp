// Works the key code list dialog of the running program from the command line: reads and sets
// its texts, reads the cells of its two grids, double-clicks cells, checks the colours the
// grids are drawn in, takes a picture of the dialog, and closes it by OK, Cancel, Esc or the
// close box. The grids belong to another process, so the list-view messages that carry
// structures go through memory allocated in that process.
//
//   keypaddriver COMMAND ARGS... [COMMAND ARGS...]...
//     wait-window SECS           until the dialog exists (prints "window FOUND")
//     wait-gone SECS             until it no longer exists (prints "window GONE")
//     gettext ID                 prints "text ID <text>" (code page 932 bytes)
//     settext ID TEXT            WM_SETTEXT on control ID
//     setsel ID START END        EM_SETSEL on edit ID
//     getsel ID                  prints "sel ID START END"
//     enabled ID                 prints "enabled ID 0|1"
//     owner-enabled              prints "owner-enabled 0|1" for the window that owns the dialog
//     placement                  prints "placement LEFT TOP WIDTH HEIGHT DESKTOPRIGHT DESKTOPBOTTOM"
//     grid ID                    prints "grid ID ROWS COLUMNS"
//     header ID COL              prints "header ID COL <width> <text>"
//     cell ID ROW COL            prints "cell ID ROW COL <text>"
//     dblclick ID ROW COL        posts a left double-click at the centre of the cell
//     mouse-dblclick ID ROW COL  moves the mouse there and double-clicks it with SendInput
//     colours ID ROW COL         prints "colours ID ROW COL text=N grey=N face=N window=N":
//                                screen pixels of the cell in the system colours
//                                COLOR_WINDOWTEXT, COLOR_GRAYTEXT, COLOR_BTNFACE, COLOR_WINDOW
//     shot FILE                  writes a PNG of the dialog as it is on the screen
//     click ID                   posts BM_CLICK to button ID
//     escape                     posts the Esc key to the control that has the focus
//     close                      posts the close-box command (SC_CLOSE) to the dialog
//     sleep MS
// Exit status 0 when every command succeeded, 1 at the first failure.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver_support_win32.h"

namespace {

const char* const Caption = "キーコード一覧";
HWND Dialog = nullptr;

HWND Control(const char* id) { return GetDlgItem(Dialog, std::atoi(id)); }

bool WaitWindow(int secs, bool present) { return WaitForDialog(Caption, secs, present, Dialog); }

LRESULT Send(HWND w, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(w, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

bool CellText(HWND list, int row, int column, char* out, int size) {
  RemoteBlock block(list);
  if (!block.Ok()) return false;
  constexpr SIZE_T kTextAt = 512;
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = block.At(kTextAt);
  item.cchTextMax = 256;
  if (!block.Write(0, &item, sizeof item)) return false;
  Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0)));
  out[0] = 0;
  return block.Read(kTextAt, out, static_cast<SIZE_T>(size < 256 ? size : 256));
}

bool HeaderText(HWND list, int column, char* out, int size) {
  RemoteBlock block(list);
  if (!block.Ok()) return false;
  constexpr SIZE_T kTextAt = 512;
  LVCOLUMNA description{};
  description.mask = LVCF_TEXT;
  description.pszText = block.At(kTextAt);
  description.cchTextMax = 256;
  const char empty = 0;
  if (!block.Write(0, &description, sizeof description) || !block.Write(kTextAt, &empty, 1)) {
    return false;
  }
  Send(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(block.At(0)));
  out[0] = 0;
  return block.Read(kTextAt, out, static_cast<SIZE_T>(size < 256 ? size : 256));
}

// The cell's rectangle in the list's client coordinates.
bool CellRect(HWND list, int row, int column, RECT* cell) {
  RemoteBlock block(list);
  if (!block.Ok()) return false;
  RECT query{};
  query.top = column;
  // Column 0's bounds would be the whole row; its label rectangle is the cell.
  query.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
  if (!block.Write(0, &query, sizeof query)) return false;
  if (!Send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
            reinterpret_cast<LPARAM>(block.At(0)))) {
    return false;
  }
  return block.Read(0, cell, sizeof *cell);
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

bool PostDoubleClick(HWND list, int row, int column) {
  RECT cell{};
  if (!CellRect(list, row, column, &cell)) return false;
  const POINT p = Centre(cell);
  return PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y)) != 0;
}

// One mouse event at an absolute screen position, so that each event carries its own place.
void MouseEvent(POINT at, DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

bool MouseDoubleClick(HWND list, int row, int column) {
  RECT cell{};
  if (!CellRect(list, row, column, &cell)) return false;
  POINT p = Centre(cell);
  ClientToScreen(list, &p);
  MouseEvent(p, 0);
  Sleep(200);
  for (int click = 0; click < 2; ++click) {
    MouseEvent(p, MOUSEEVENTF_LEFTDOWN);
    MouseEvent(p, MOUSEEVENTF_LEFTUP);
    Sleep(30);
  }
  // Away from the grids, so that the next double-click cannot join these clicks.
  Sleep(200);
  return true;
}

// Screen pixels of a rectangle (screen coordinates) as 0x00RRGGBB, row by row from the top.
std::vector<std::uint32_t> Capture(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  std::vector<std::uint32_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    pixels.assign(p, p + static_cast<std::size_t>(width) * height);
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (auto& v : pixels) v &= 0xFFFFFF;
  return pixels;
}

std::uint32_t SystemColour(int index) {
  const COLORREF c = GetSysColor(index);
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

bool PrintColours(HWND list, const char* id, int row, int column) {
  RECT cell{};
  if (!CellRect(list, row, column, &cell)) return false;
  // Inside the grid lines.
  InflateRect(&cell, -1, -1);
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&cell), 2);
  const std::vector<std::uint32_t> pixels = Capture(cell);
  const int indexes[4] = {COLOR_WINDOWTEXT, COLOR_GRAYTEXT, COLOR_BTNFACE, COLOR_WINDOW};
  int counts[4] = {};
  for (std::uint32_t v : pixels) {
    for (int k = 0; k < 4; ++k) {
      if (v == SystemColour(indexes[k])) ++counts[k];
    }
  }
  std::printf("colours %s %d %d text=%d grey=%d face=%d window=%d\n", id, row, column, counts[0],
              counts[1], counts[2], counts[3]);
  return !pixels.empty();
}

// ---- PNG writing (uncompressed deflate blocks; no library needed) ---------------------------

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::vector<unsigned char>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  std::vector<unsigned char> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

std::vector<unsigned char> StoredZlib(const std::vector<unsigned char>& raw) {
  std::vector<unsigned char> out{0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
    out.push_back(at + n == raw.size() ? 1 : 0);
    out.push_back(static_cast<unsigned char>(n & 0xFF));
    out.push_back(static_cast<unsigned char>(n >> 8));
    out.push_back(static_cast<unsigned char>(~n & 0xFF));
    out.push_back(static_cast<unsigned char>((~n >> 8) & 0xFF));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
               raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  } while (at < raw.size());
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

bool WritePng(const char* path, const std::vector<std::uint32_t>& pixels, int width, int height) {
  std::vector<unsigned char> raw;
  raw.reserve(static_cast<std::size_t>(height) * (width * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = pixels[static_cast<std::size_t>(y) * width + x];
      raw.push_back(static_cast<unsigned char>(v >> 16));
      raw.push_back(static_cast<unsigned char>(v >> 8));
      raw.push_back(static_cast<unsigned char>(v));
    }
  }
  std::vector<unsigned char> file{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<unsigned char> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", StoredZlib(raw));
  PutChunk(file, "IEND", {});
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

bool Shot(const char* path) {
  RECT area{};
  GetWindowRect(Dialog, &area);
  const std::vector<std::uint32_t> pixels = Capture(area);
  if (pixels.empty()) return false;
  return WritePng(path, pixels, area.right - area.left, area.bottom - area.top);
}

HWND FocusOfDialog() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(Dialog, nullptr), &info);
  return info.hwndFocus ? info.hwndFocus : Dialog;
}

int GridCommand(const char* c, int argc, char** argv, int i) {
  if (!std::strcmp(c, "grid")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    HWND list = Control(argv[i + 1]);
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
    std::printf("grid %s %d %d\n", argv[i + 1], static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0)),
                static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)));
    return 1;
  }
  if (!std::strcmp(c, "header")) {
    if (!NeedArgs(argc, i, 2)) return -1;
    HWND list = Control(argv[i + 1]);
    const int column = std::atoi(argv[i + 2]);
    char text[256];
    if (!HeaderText(list, column, text, sizeof text)) return -1;
    std::printf("header %s %d %d %s\n", argv[i + 1], column,
                static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0)),
                text);
    return 2;
  }
  if (!NeedArgs(argc, i, 3)) return -1;
  HWND list = Control(argv[i + 1]);
  const int row = std::atoi(argv[i + 2]);
  const int column = std::atoi(argv[i + 3]);
  bool ok = false;
  if (!std::strcmp(c, "cell")) {
    char text[256];
    ok = CellText(list, row, column, text, sizeof text);
    if (ok) std::printf("cell %s %d %d %s\n", argv[i + 1], row, column, text);
  } else if (!std::strcmp(c, "dblclick")) {
    ok = PostDoubleClick(list, row, column);
  } else if (!std::strcmp(c, "mouse-dblclick")) {
    ok = MouseDoubleClick(list, row, column);
  } else if (!std::strcmp(c, "colours")) {
    ok = PrintColours(list, argv[i + 1], row, column);
  }
  return ok ? 3 : -1;
}

// Runs the command at argv[i]; returns the number of arguments consumed, or -1 on failure.
int Run(int argc, char** argv, int i) {
  const char* c = argv[i];
  char text[4096];
  if (!std::strcmp(c, "wait-window") || !std::strcmp(c, "wait-gone")) {
    const bool present = c[5] == 'w';
    if (!NeedArgs(argc, i, 1) || !WaitWindow(std::atoi(argv[i + 1]), present)) return -1;
    std::printf("window %s\n", present ? "FOUND" : "GONE");
    return 1;
  }
  if (!std::strcmp(c, "sleep")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    Sleep(static_cast<DWORD>(std::atoi(argv[i + 1])));
    return 1;
  }
  if (!Dialog && !WaitWindow(10, true)) {
    std::printf("error no key code list dialog\n");
    return -1;
  }
  if (!std::strcmp(c, "gettext")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    ReadWindowText(Control(argv[i + 1]), text, sizeof text);
    std::printf("text %s %s\n", argv[i + 1], text);
    return 1;
  }
  if (!std::strcmp(c, "settext")) {
    if (!NeedArgs(argc, i, 2)) return -1;
    SendMessageTimeoutA(Control(argv[i + 1]), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(argv[i + 2]), SMTO_ABORTIFHUNG, 5000, nullptr);
    return 2;
  }
  if (!std::strcmp(c, "setsel")) {
    if (!NeedArgs(argc, i, 3)) return -1;
    Send(Control(argv[i + 1]), EM_SETSEL, static_cast<WPARAM>(std::atoi(argv[i + 2])),
         static_cast<LPARAM>(std::atoi(argv[i + 3])));
    return 3;
  }
  if (!std::strcmp(c, "getsel")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    const LRESULT sel = Send(Control(argv[i + 1]), EM_GETSEL, 0, 0);
    std::printf("sel %s %d %d\n", argv[i + 1], static_cast<int>(LOWORD(sel)),
                static_cast<int>(HIWORD(sel)));
    return 1;
  }
  if (!std::strcmp(c, "enabled")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    std::printf("enabled %s %d\n", argv[i + 1], IsWindowEnabled(Control(argv[i + 1])) ? 1 : 0);
    return 1;
  }
  if (!std::strcmp(c, "placement")) {
    RECT own{};
    RECT desktop{};
    GetWindowRect(Dialog, &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    std::printf("placement %ld %ld %ld %ld %ld %ld\n", own.left, own.top, own.right - own.left,
                own.bottom - own.top, desktop.right, desktop.bottom);
    return 0;
  }
  if (!std::strcmp(c, "owner-enabled")) {
    HWND owner = GetWindow(Dialog, GW_OWNER);
    std::printf("owner-enabled %d\n", owner && IsWindowEnabled(owner) ? 1 : 0);
    return 0;
  }
  if (!std::strcmp(c, "click")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    return PostMessageA(Control(argv[i + 1]), BM_CLICK, 0, 0) ? 1 : -1;
  }
  if (!std::strcmp(c, "escape")) {
    HWND focus = FocusOfDialog();
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    return PostMessageA(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001)) ? 0 : -1;
  }
  if (!std::strcmp(c, "close")) {
    return PostMessageA(Dialog, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : -1;
  }
  if (!std::strcmp(c, "shot")) {
    if (!NeedArgs(argc, i, 1) || !Shot(argv[i + 1])) return -1;
    std::printf("shot %s\n", argv[i + 1]);
    return 1;
  }
  if (!std::strcmp(c, "grid") || !std::strcmp(c, "header") || !std::strcmp(c, "cell") ||
      !std::strcmp(c, "dblclick") || !std::strcmp(c, "mouse-dblclick") ||
      !std::strcmp(c, "colours")) {
    return GridCommand(c, argc, argv, i);
  }
  std::printf("error unknown command %s\n", c);
  return -1;
}

}  // namespace

int main(int argc, char** argv) { return RunCommands(argc, argv, 1, Run); }
