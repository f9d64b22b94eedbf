#include "reception/target_window_chooser_win32.h"

#include <cwchar>

#include "common/wide_text_win32.h"
#include "reception/target_window_win32.h"

namespace {

// Windows listed at most, and the part of each title shown, so the menu fits on a screen.
constexpr int kMaxChoices = 40;
constexpr int kShownTitleUnits = 60;
// Room for a shown title with its "&" doubled, the dash and a program name.
constexpr int kItemUnits = kShownTitleUnits * 2 + 4 + kProgramNameUnits;

struct Choice {
  wchar_t program[kProgramNameUnits];
  wchar_t item[kItemUnits];
};

struct Choices {
  Choice list[kMaxChoices];
  int count = 0;
};

// The menu text: the title cut to its shown part, "&" doubled (a single one marks a menu
// mnemonic), then " — " and the program name.
void FormatItem(const wchar_t* title, const wchar_t* program, wchar_t* item) {
  int n = 0;
  for (int i = 0; i < kShownTitleUnits && title[i] != 0; ++i) {
    if (title[i] == L'&') item[n++] = L'&';
    item[n++] = title[i];
  }
  if (title[0] != 0 && std::wcslen(title) > static_cast<std::size_t>(kShownTitleUnits)) {
    item[n++] = L'\u2026';
  }
  std::swprintf(item + n, static_cast<std::size_t>(kItemUnits - n), L" \u2014 %ls", program);
}

BOOL CALLBACK CollectChoice(HWND window, LPARAM param) {
  auto& choices = *reinterpret_cast<Choices*>(param);
  if (choices.count == kMaxChoices) return FALSE;
  if (!IsUserWindow(window)) return TRUE;
  wchar_t title[kWindowTitleUnits];
  ReadWindowTitle(window, title, kWindowTitleUnits);
  if (title[0] == 0) return TRUE;
  Choice& c = choices.list[choices.count];
  if (!ReadProgramName(window, c.program, kProgramNameUnits)) return TRUE;
  FormatItem(title, c.program, c.item);
  ++choices.count;
  return TRUE;
}

}  // namespace

bool ChooseTargetEntry(HWND owner, char* entry, int size) {
  if (entry == nullptr || size <= 0) return false;
  // Static: the list is large for the stack and the GUI thread is its only user.
  static Choices choices;
  choices.count = 0;
  EnumWindows(CollectChoice, reinterpret_cast<LPARAM>(&choices));
  if (choices.count == 0) return false;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return false;
  for (int i = 0; i < choices.count; ++i) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i) + 1, choices.list[i].item);
  }
  POINT at{};
  GetCursorPos(&at);
  // TPM_RETURNCMD: the choice comes back here instead of as a command to the owner. The menu's
  // top left corner is at the cursor (the default alignment).
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
  DestroyMenu(menu);
  if (chosen < 1 || chosen > choices.count) return false;
  WideToCp932(choices.list[chosen - 1].program, entry, size);
  return entry[0] != 0;
}
