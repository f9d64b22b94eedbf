#include "app/com_apartment_win32.h"

#include <windows.h>
#include <objbase.h>

// Apartment threading, without OLE 1 DDE, as the shell functions ask (Microsoft Learn:
// SHBrowseForFolderA and ShellExecuteA, Remarks). Only a successful initialisation is undone:
// a thread that was already in another apartment keeps it.
ComApartment::ComApartment()
    : initialised_(
          SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}

ComApartment::~ComApartment() {
  if (initialised_) CoUninitialize();
}
