// Where the log writer reports a discarded record or a file at its size limit. The program
// shows a message box (the shell's ShowNotice); tests record the texts.
#pragma once

class LogNotices {
 public:
  virtual ~LogNotices() = default;
  // `text` is zero-terminated code page 932.
  virtual void ShowNotice(const char* text) = 0;
};
