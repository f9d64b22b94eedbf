#include "delivery/paste_win32.h"

#include <windows.h>

#include <cstring>

#include "delivery/paste_text.h"

namespace {

// Formats of the user's clipboard saved at most, and their bytes in all.
constexpr int kSavedFormats = 32;
constexpr SIZE_T kSavedBytesMax = SIZE_T{64} * 1024 * 1024;
// OpenClipboard fails while another window has it open: a few tries, 10 ms apart.
constexpr int kOpenTries = 20;
constexpr DWORD kOpenStepMs = 10;
constexpr BYTE kVkV = 0x56;

struct SavedFormat {
  UINT format;
  HGLOBAL data;
};

// The reader thread's paste: one at a time, in static storage.
HWND Owner = nullptr;
SavedFormat Saved[kSavedFormats];
int SavedCount = 0;
const std::uint16_t* Text = nullptr;
int TextUnits = 0;
PasteRestore Restore;

UINT ExcludeFormat() {
  static const UINT f = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
  return f;
}
UINT HistoryFormat() {
  static const UINT f = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
  return f;
}
UINT CloudFormat() {
  static const UINT f = RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
  return f;
}

HGLOBAL CopyBytes(const void* bytes, SIZE_T size) {
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size > 0 ? size : 1);
  if (copy == nullptr) return nullptr;
  void* to = GlobalLock(copy);
  if (to == nullptr) {
    GlobalFree(copy);
    return nullptr;
  }
  if (size > 0) std::memcpy(to, bytes, size);
  GlobalUnlock(copy);
  return copy;
}

HGLOBAL CopyGlobal(HGLOBAL from) {
  const SIZE_T size = GlobalSize(from);
  const void* bytes = GlobalLock(from);
  if (bytes == nullptr) return nullptr;
  HGLOBAL copy = CopyBytes(bytes, size);
  GlobalUnlock(from);
  return copy;
}

// Formats whose data is a memory block (the others are GDI objects or metafile handles, which
// are not copied) and which the system does not make from another one (CF_TEXT, CF_OEMTEXT and
// CF_LOCALE follow from CF_UNICODETEXT; Microsoft Learn, "Clipboard Formats", synthesized).
bool MemoryFormat(UINT f) {
  switch (f) {
    case CF_BITMAP: case CF_METAFILEPICT: case CF_PALETTE: case CF_ENHMETAFILE:
    case CF_OWNERDISPLAY: case CF_DSPBITMAP: case CF_DSPMETAFILEPICT: case CF_DSPENHMETAFILE:
    case CF_TEXT: case CF_OEMTEXT: case CF_LOCALE: case CF_DIBV5:
      return false;
    default:
      return !(f >= CF_GDIOBJFIRST && f <= CF_GDIOBJLAST);
  }
}

void ForgetSaved() {
  for (int i = 0; i < SavedCount; ++i) GlobalFree(Saved[i].data);
  SavedCount = 0;
}

// The clipboard is open: copies of its memory formats, within the bounds.
void SaveOpenClipboard() {
  ForgetSaved();
  SIZE_T bytes = 0;
  for (UINT f = EnumClipboardFormats(0); f != 0 && SavedCount < kSavedFormats;
       f = EnumClipboardFormats(f)) {
    if (!MemoryFormat(f)) continue;
    HGLOBAL data = GetClipboardData(f);
    if (data == nullptr) continue;
    const SIZE_T size = GlobalSize(data);
    if (bytes + size > kSavedBytesMax) continue;
    HGLOBAL copy = CopyGlobal(data);
    if (copy == nullptr) continue;
    bytes += size;
    Saved[SavedCount++] = SavedFormat{f, copy};
  }
}

bool OpenWithTries() {
  for (int i = 0; i < kOpenTries; ++i) {
    if (OpenClipboard(Owner)) return true;
    Sleep(kOpenStepMs);
  }
  return false;
}

HGLOBAL TextGlobal() {
  return CopyBytes(Text, static_cast<SIZE_T>(TextUnits + 1) * sizeof(std::uint16_t));
}

void SetDword(UINT format, DWORD value) {
  HGLOBAL h = CopyBytes(&value, sizeof value);
  if (h == nullptr) return;
  // The clipboard owns the memory once SetClipboardData succeeds; on a failure it is still
  // ours (Microsoft Learn, SetClipboardData). cppcheck's model takes it as freed either way.
  const bool taken = SetClipboardData(format, h) != nullptr;
  // cppcheck-suppress doubleFree
  if (!taken) GlobalFree(h);
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_RENDERFORMAT:
      // The owner renders without opening the clipboard (Microsoft Learn, WM_RENDERFORMAT).
      if (wp == CF_UNICODETEXT && Text != nullptr) {
        HGLOBAL h = TextGlobal();
        if (h != nullptr && SetClipboardData(CF_UNICODETEXT, h) == nullptr) GlobalFree(h);
        Restore.Rendered(GetClipboardSequenceNumber());
      }
      return 0;
    case WM_RENDERALLFORMATS:
      // Only before the window goes while the text is offered: nothing is left behind.
      return 0;
    case WM_DESTROYCLIPBOARD:
      // Another program emptied the clipboard (or we did, to give it back).
      if (Text != nullptr) Restore.Lost();
      return 0;
    default:
      return DefWindowProcW(window, message, wp, lp);
  }
}

bool MakeOwner() {
  if (Owner != nullptr) return true;
  WNDCLASSW wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TamblixPasteOwner";
  RegisterClassW(&wc);
  Owner = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          wc.hInstance, nullptr);
  return Owner != nullptr;
}

// Our text, rendered when asked, with the formats that keep clipboard monitors (history, the
// cloud clipboard) from taking it (Microsoft Learn, "Clipboard Formats", cloud clipboard and
// clipboard history formats).
bool OfferText() {
  if (!OpenWithTries()) return false;
  SaveOpenClipboard();
  const bool emptied = EmptyClipboard() != FALSE;
  if (emptied) {
    SetClipboardData(CF_UNICODETEXT, nullptr);
    SetDword(ExcludeFormat(), 0);
    SetDword(HistoryFormat(), 0);
    SetDword(CloudFormat(), 0);
  }
  CloseClipboard();
  if (!emptied) ForgetSaved();
  return emptied;
}

// The clipboard as it was: every saved format put back (the clipboard owns them then).
void GiveBack() {
  Text = nullptr;
  if (OpenWithTries()) {
    EmptyClipboard();
    for (int i = 0; i < SavedCount; ++i) {
      if (SetClipboardData(Saved[i].format, Saved[i].data) == nullptr) GlobalFree(Saved[i].data);
    }
    SavedCount = 0;
    CloseClipboard();
  }
  ForgetSaved();
}

void SendCtrlV(KeyOutput& keys, Keyboard& keyboard) {
  const KeyRecord records[4] = {keys.FillKeyRecord(kVkControl, 0), keys.FillKeyRecord(kVkV, 0),
                                keys.FillKeyRecord(kVkV, kKeyFlagUp),
                                keys.FillKeyRecord(kVkControl, kKeyFlagUp)};
  keyboard.SendInput(records, 4);
}

// Dispatches this thread's messages (the render request comes as a sent message) until the
// decision is made, the bound included; a stop gives the clipboard back at once.
PasteRestore::Action AwaitRead(HANDLE stop) {
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    const PasteRestore::Action action = Restore.Decide(GetTickCount(), GetClipboardSequenceNumber());
    if (action != PasteRestore::Action::Wait) return action;
    const DWORD handles = stop != nullptr ? 1 : 0;
    if (MsgWaitForMultipleObjects(handles, &stop, FALSE, kOpenStepMs, QS_ALLINPUT) == WAIT_OBJECT_0 &&
        handles == 1) {
      return Restore.Decide(GetTickCount() + kPasteRestoreBoundMs, GetClipboardSequenceNumber());
    }
  }
}

}  // namespace

bool PasteUnits(const std::uint16_t* units, int count, KeyOutput& keys, Keyboard& keyboard,
                HANDLE stop) {
  if (count <= 0) return true;
  if (!MakeOwner()) return false;
  Text = units;
  TextUnits = count;
  if (!OfferText()) {
    Text = nullptr;
    return false;
  }
  Restore.Pasted(GetTickCount(), GetClipboardSequenceNumber());
  SendCtrlV(keys, keyboard);
  const PasteRestore::Action action = AwaitRead(stop);
  // After the render the target may still hold the clipboard open; GiveBack tries to open it.
  if (action == PasteRestore::Action::Restore) GiveBack();
  else {
    Text = nullptr;
    ForgetSaved();
  }
  return true;
}
