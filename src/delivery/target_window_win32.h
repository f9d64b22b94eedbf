// Target windows as the system shows them, and what the program does with them: the program
// file name and the title a TARGET entry is matched against, the windows a user can switch to,
// bringing one to the front; the delivery of collected frames to them on the reader thread;
// and the "選択..." menu of the windows to choose an entry from. The rules themselves are
// portable (target_window.h).
#pragma once
#include <windows.h>

#include "shaping/shaped_frame.h"

// ---- windows

// A program file name: the file name part of the image path, at most 255 UTF-16 units.
inline constexpr int kProgramNameUnits = 256;
// A window title as far as it is read; longer titles are cut.
inline constexpr int kWindowTitleUnits = 512;

// What an entry is matched against, in code page 932 (two bytes per UTF-16 unit at most).
struct WindowIdentity {
  char program[kProgramNameUnits * 2];
  char title[kWindowTitleUnits * 2];
};

// The file name part ("EXCEL.EXE") of the image of the process that owns `window`; false (and
// an empty text) when it cannot be read, e.g. for a protected process.
bool ReadProgramName(HWND window, wchar_t* out, int capacity);
// The window's title; empty when it has none. A window of this process is asked with a time
// limit, so that a busy dialog thread does not hold the caller.
void ReadWindowTitle(HWND window, wchar_t* out, int capacity);
void ReadWindowIdentity(HWND window, WindowIdentity& out);
bool WindowIsTarget(HWND window, const char* targets);

// A top-level window a user can switch to: visible, not a tool window, not cloaked (a window
// of a suspended app, or of another virtual desktop), and not one of this program's.
bool IsUserWindow(HWND window);
// The first user window in z-order that an entry names, which is the most recently active one;
// null when none is open.
HWND FindTargetWindow(const char* targets);
// Restores `window` when it is minimised and asks for it to become the foreground window; true
// once it is in front, not minimised. Windows may refuse (SetForegroundWindow's rules); then
// false, at once or after kBringWaitMs. A set `stopEvent` ends the wait.
inline constexpr DWORD kBringWaitMs = 500;
bool BringToFront(HWND window, HANDLE stopEvent);

// ---- delivery

// The program's delivery of collected frames: the reader thread's one
// TargetGate, wired to the window in front, a beep, and the notice in the main dialog's caption
// and tray tip. With TARGETMODE 0 or no entry in TARGET every frame is typed at once, as
// without targets, and the reader is never woken for it.
//
// A frame that finds no target in front is held (mode 2: after a target window could not be
// brought forward) and the program beeps; held frames are typed in order as soon as a target
// is in front. One held TARGETWAIT seconds is given up unsent (its record is in the log
// already) with another beep. A stop gives the held frames up unsent.

// Types one frame into the window in front, as the reception pipeline types a frame (its
// typing lock, its stop checks, the main dialog's displays when that is in front).
using ShapedFrameTyper = void (*)(const ShapedFrame& frame);

// Reader thread, at the start of reception: this reception's TARGET, TARGETMODE and TARGETWAIT
// and its typing; watchKeys false (a data logger that types nothing) holds no frame for keys
// the user holds. Nothing is held; the notice goes.
void TargetReceptionStart(const char* targets, int mode, int waitSeconds, ShapedFrameTyper typer,
                          bool watchKeys = true);
// Reader thread, at its end: held frames are given up untyped; the notice goes.
void TargetReceptionEnd();
// Where whole-frame collection hands each frame once it has been logged (reader thread).
FrameDelivery& TargetFrameDelivery();
// Reader thread, at each turn: gives up frames held too long and types held frames into a
// target that is in front now.
void TypeDueTargetFrames();
// Frames are held (for a target or for keys the user holds): a new frame must join them.
bool TargetFramesWaiting();
// How soon the reader must look again (ms): 0 while no frame is held, which sets no limit.
DWORD TargetWakeMs();

// The notice for the caption and the tray tip, or null when there is none (any thread).
const char* TargetNoticeText();

// ---- the chooser

// "選択..." beside the TARGET edit: a menu at the cursor, owned by `owner`, of the user windows
// that have a title ("title — PROGRAM.EXE", most recently active first; windows of this
// program are not listed). On a choice writes the window's program file name in code page 932
// to `entry` (`size` bytes with the terminator, never half a two-byte character) and returns
// true; false when the menu was dismissed or no window was there to choose.
bool ChooseTargetEntry(HWND owner, char* entry, int size);
