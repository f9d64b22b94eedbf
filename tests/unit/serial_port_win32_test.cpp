// The start of reception on a port that refuses its line settings: the start fails with the
// port message that names the settings, and leaves no port open and no reader running. What
// the start asks of the port replaces every receive setting another program left on it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "common/ui_win32.h"
#include "config/settings.h"
#include "source/receive_thread_win32.h"
#include "source/serial_port_win32.h"

namespace {

// The block another program left on the port: every field that changes what is received at
// its harmful value (bytes dropped while DSR is low, replaced, stripped, aborted reads, the
// sender stopped after a few bytes, equal XON and XOFF characters).
DCB LeftByAnotherProgram(bool parityChecked) {
  DCB d{};
  d.DCBlength = sizeof d;
  d.fBinary = FALSE;
  d.fParity = parityChecked;
  d.fOutxDsrFlow = TRUE;
  d.fDtrControl = DTR_CONTROL_HANDSHAKE;
  d.fDsrSensitivity = TRUE;
  d.fTXContinueOnXoff = FALSE;
  d.fErrorChar = TRUE;
  d.fNull = TRUE;
  d.fAbortOnError = TRUE;
  d.XonLim = 0;
  d.XoffLim = 1020;
  d.XonChar = 0x13;
  d.XoffChar = 0x13;
  d.ErrorChar = '?';
  d.EofChar = 0x1A;
  d.EvtChar = 0x03;
  return d;
}

// A port that opens (an event stands in for its handle) and refuses what the case says.
class RefusingPort final : public SerialApi {
 public:
  RefusingPort(bool failOpen, bool refuseGet, bool refuseSet)
      : failOpen_(failOpen), refuseGet_(refuseGet), refuseSet_(refuseSet) {}
  HANDLE Open(const char*) override {
    if (failOpen_) return INVALID_HANDLE_VALUE;
    handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return handle;
  }
  BOOL Setup(HANDLE, DWORD in, DWORD) override {
    inQueue = in;
    return TRUE;
  }
  BOOL GetState(HANDLE, DCB* dcb) override {
    *dcb = left;
    return !refuseGet_;
  }
  BOOL SetState(HANDLE, DCB* dcb) override {
    asked = *dcb;
    return !refuseSet_;
  }
  BOOL GetTimeouts(HANDLE, COMMTIMEOUTS*) override { return TRUE; }
  BOOL SetTimeouts(HANDLE, COMMTIMEOUTS*) override { return TRUE; }

  HANDLE handle = nullptr;
  DWORD inQueue = 0;
  DCB left{};
  DCB asked{};

 private:
  bool failOpen_, refuseGet_, refuseSet_;
};

bool HandleClosed(HANDLE h) {
  DWORD flags = 0;
  return h == nullptr || !GetHandleInformation(h, &flags);
}

// What the start asks for besides the line settings, whatever the port had.
void ExpectReceiveDefaults(const DCB& d, bool parityChecked) {
  EXPECT_TRUE(d.fBinary);
  EXPECT_EQ(d.fParity != 0, parityChecked);
  EXPECT_FALSE(d.fOutxDsrFlow);
  EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_FALSE(d.fDsrSensitivity);
  EXPECT_TRUE(d.fTXContinueOnXoff);
  EXPECT_FALSE(d.fErrorChar);
  EXPECT_FALSE(d.fNull);
  EXPECT_FALSE(d.fAbortOnError);
  // A quarter of the smallest input queue a driver keeps, either way.
  EXPECT_EQ(d.XonLim, 256);
  EXPECT_EQ(d.XoffLim, 256);
  EXPECT_EQ(d.XonChar, 0x11);
  EXPECT_EQ(d.XoffChar, 0x13);
  EXPECT_EQ(d.ErrorChar, 0);
  EXPECT_EQ(d.EofChar, 0);
  EXPECT_EQ(d.EvtChar, 0);
}

TEST(PortStart, APortThatRefusesItsSettingsFailsTheStartWithItsMessage) {
  struct Case {
    const char* name;
    bool failOpen, refuseGet, refuseSet;
    int result;
    BYTE parity;  // PARITY: 0 none, 1 even
  };
  const Case cases[] = {
      {"SetCommState refuses 1.5 stop bits", false, false, true, kPortSettingsRefused, 0},
      {"GetCommState fails", false, true, false, kPortSettingsRefused, 0},
      {"the port does not open", true, false, false, -101, 0},
      {"SetCommState refuses 1.5 stop bits with even parity", false, false, true,
       kPortSettingsRefused, 1},
  };
  const char* openFailed = PortErrorText(-101);
  ASSERT_NE(openFailed, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RefusingPort port(c.failOpen, c.refuseGet, c.refuseSet);
    port.left = LeftByAnotherProgram(c.parity == 0);
    SetDefaultSettings(Settings);
    Settings.STOPBIT = 1;  // "1.5"
    Settings.PARITY = c.parity;
    SetSerialApi(&port);
    const int result = StartReception();
    SetSerialApi(nullptr);

    EXPECT_EQ(result, c.result);
    const char* text = PortErrorText(result);
    ASSERT_NE(text, nullptr);
    // A refused setting has its own message, which names the line settings.
    EXPECT_EQ(std::strcmp(text, openFailed) != 0, result == kPortSettingsRefused);
    EXPECT_EQ(std::strstr(text, "ストップビット") != nullptr, result == kPortSettingsRefused);
    EXPECT_EQ(RunningFlag.load(), 0);
    EXPECT_FALSE(ReceivePort.ThreadAlive());
    EXPECT_TRUE(ReceivePort.PortHandle == nullptr);
    EXPECT_TRUE(HandleClosed(port.handle));
    // Room for what arrives while a long frame is typed at the Alt-code pace.
    if (!c.failOpen) {
      EXPECT_GE(port.inQueue, 16384u);
    }
    if (c.refuseSet) {
      EXPECT_EQ(port.asked.StopBits, ONE5STOPBITS);  // the choice is still asked for
      ExpectReceiveDefaults(port.asked, c.parity != 0);
    }
  }
}

}  // namespace
