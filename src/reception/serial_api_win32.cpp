#include "reception/serial_api_win32.h"

namespace {
using ResultExCall = BOOL(WINAPI*)(HANDLE, LPOVERLAPPED, LPDWORD, DWORD, BOOL);
// Looked up at run time: Windows 7 lacks it.
ResultExCall GetOverlappedResultExOfKernel32() {
  static const auto call = reinterpret_cast<ResultExCall>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetOverlappedResultEx")));
  return call;
}
}  // namespace

HANDLE SerialApi::Open(const char* deviceName) {
  return CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                     FILE_FLAG_OVERLAPPED, nullptr);
}
BOOL SerialApi::Setup(HANDLE port, DWORD inQueue, DWORD outQueue) {
  return SetupComm(port, inQueue, outQueue);
}
BOOL SerialApi::GetState(HANDLE port, DCB* dcb) { return GetCommState(port, dcb); }
BOOL SerialApi::SetState(HANDLE port, DCB* dcb) { return SetCommState(port, dcb); }
BOOL SerialApi::GetTimeouts(HANDLE port, COMMTIMEOUTS* t) { return GetCommTimeouts(port, t); }
BOOL SerialApi::SetTimeouts(HANDLE port, COMMTIMEOUTS* t) { return SetCommTimeouts(port, t); }
BOOL SerialApi::SetMask(HANDLE port, DWORD mask) { return SetCommMask(port, mask); }
BOOL SerialApi::WaitEvent(HANDLE port, DWORD* mask, OVERLAPPED* o) {
  return WaitCommEvent(port, mask, o);
}
BOOL SerialApi::Result(HANDLE port, OVERLAPPED* o, DWORD* bytes, DWORD waitMs) {
  if (waitMs != 0) {
    if (const auto resultEx = GetOverlappedResultExOfKernel32()) {
      if (resultEx(port, o, bytes, waitMs, FALSE)) return TRUE;
      if (GetLastError() == WAIT_TIMEOUT) SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
    if (WaitForSingleObject(o->hEvent, waitMs) != WAIT_OBJECT_0) {
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
  }
  return GetOverlappedResult(port, o, bytes, FALSE);
}
BOOL SerialApi::ClearError(HANDLE port, DWORD* errors, COMSTAT* status) {
  return ClearCommError(port, errors, status);
}
BOOL SerialApi::Read(HANDLE port, void* buffer, DWORD count, DWORD* read, OVERLAPPED* o) {
  return ReadFile(port, buffer, count, read, o);
}
BOOL SerialApi::Cancel(HANDLE port, OVERLAPPED* o) { return CancelIoEx(port, o); }
BOOL SerialApi::Write(HANDLE port, const void* bytes, DWORD count, DWORD* written, OVERLAPPED* o) {
  return WriteFile(port, bytes, count, written, o);
}
