// What every reader of a source (the COM port, a socket) hands its data to, and how long its
// wait may last.
#pragma once
#include <windows.h>

// Where the reader's data goes: the reception pipeline in the program; a test gives its own
// steps to see what the reader hands on.
struct ReaderSteps {
  // The data-interval check at the top of each turn; true when it ended the frame.
  bool (*checkInterval)(DWORD now, DWORD lastReceiveTime);
  // The device went away in the middle of a frame: end it as the data interval does.
  void (*cutFrame)();
  // One block as read (n bytes).
  void (*block)(const unsigned char* block, int n);
};

// What reception does with the data, around the reader and inside it. The reception pipeline
// defines it (reception_pipeline_win32.cpp), so the reader never includes what it feeds.
struct ReceptionStages {
  void (*prepare)();      // GUI thread, before the source opens: the frame flags of a new start
  void (*threadStart)();  // reader thread, before anything is read
  void (*threadEnd)();    // reader thread, at its end: gives up what it holds for typing
  DWORD (*wakeMs)();      // how soon the reader must look again (ms); 0: no limit
  ReaderSteps reader;
};
extern const ReceptionStages kReceptionStages;

// How long the reader's wait may last: until the data interval runs out, the next timed device
// request is due or held frames must be looked at again, at most a second.
DWORD ReaderWaitLimit(DWORD lastReceiveTime);
