// COM on the GUI thread (com_apartment_win32.cpp).
#pragma once

// Makes the calling thread a single-threaded COM apartment for its lifetime. The shell calls
// of the dialogs need one: the log dialog's folder browser (SHBrowseForFolderA) and the About
// dialog's link (ShellExecuteA, whose verbs may be shell extensions activated through COM).
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};
