// Delivery of collected frames to target windows in the program: the reader thread's one
// TargetGate, wired to the window in front, a beep, and the notice in the main dialog's caption
// and tray tip. With TARGETMODE 0 or no entry in TARGET every frame is typed at once, as
// without targets, and the reader is never woken for it.
//
// A frame that finds no target in front is held (mode 2: after a target window could not be
// brought forward) and the program beeps; held frames are typed in order as soon as a target
// is in front. One held TARGETWAIT seconds is given up unsent (its record is in the log
// already) with another beep. A stop gives the held frames up unsent.
#pragma once
#include <windows.h>

#include "reception/shaped_frame.h"

// Types one frame into the window in front, as the reception pipeline types a frame (its
// typing lock, its stop checks, the main dialog's displays when that is in front).
using ShapedFrameTyper = void (*)(const ShapedFrame& frame);

// Reader thread, at the start of reception: this reception's TARGET, TARGETMODE and TARGETWAIT
// and its typing. Nothing is held; the notice goes.
void TargetReceptionStart(const char* targets, int mode, int waitSeconds, ShapedFrameTyper typer);
// Reader thread, at its end: held frames are given up untyped; the notice goes.
void TargetReceptionEnd();
// Where whole-frame collection hands each frame once it has been logged (reader thread).
FrameDelivery& TargetFrameDelivery();
// Reader thread, at each turn: gives up frames held too long and types held frames into a
// target that is in front now.
void TypeDueTargetFrames();
// How soon the reader must look again (ms): 0 while no frame is held, which sets no limit.
DWORD TargetWakeMs();

// The notice for the caption and the tray tip, or null when there is none (any thread).
const char* TargetNoticeText();
