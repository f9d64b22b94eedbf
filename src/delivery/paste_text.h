// Paste mode (SENDMODE 2), portable: the text a frame pastes, and when the user's clipboard is
// given back. A frame's text goes to the clipboard as Unicode text and the target is sent
// Ctrl+V; the clipboard's earlier contents are saved before and given back once the target has
// read the text (it asks for it: delayed rendering), only while the clipboard still holds our
// text, and at the latest after kPasteRestoreBoundMs, so a target that never reads does not
// keep the user's clipboard. The clipboard itself is reached in paste_win32.
#pragma once
#include <cstdint>

#include "keyout/keystrokes.h"

inline constexpr std::uint8_t kSendModePaste = 2;
// The longest the user's clipboard stays away when the target never reads our text.
inline constexpr std::uint32_t kPasteRestoreBoundMs = 2000;

// The UTF-16 text of `length` code page 932 bytes as it is pasted, zero-terminated in `out`
// (`capacity` units with the terminator), cut at whole characters; returns the units without
// the terminator. Line ends (CR LF, a lone CR, a lone LF) become CR LF, the clipboard's line
// end; Tab stays; other control bytes have no text and are left out, as is a byte that is no
// character of code page 932.
int PasteTextUnits(Keyboard& keyboard, const std::uint8_t* text, int length, std::uint16_t* out,
                   int capacity);

// When to give the user's clipboard back, on a 32-bit millisecond clock that wraps. The
// sequence numbers are the clipboard's (it counts every change): what it was right after our
// own last change tells whether anyone changed it since.
class PasteRestore {
 public:
  enum class Action { Wait, Restore, Forget };
  // Our text went on the clipboard at `now`; `sequence` after that change.
  void Pasted(std::uint32_t now, std::uint32_t sequence);
  // The target asked for the text and it was given; `sequence` after that.
  void Rendered(std::uint32_t sequence);
  // Another program emptied the clipboard: the user's new contents stay.
  void Lost() { lost_ = true; }
  // Wait until the text is read or the bound has passed; then Restore while the clipboard is
  // still ours (`sequence` unchanged since our last change), else Forget the saved contents.
  Action Decide(std::uint32_t now, std::uint32_t sequence) const;
  bool Rendered() const { return rendered_; }

 private:
  std::uint32_t since_ = 0;
  std::uint32_t sequence_ = 0;
  bool rendered_ = false;
  bool lost_ = false;
};
