// The start of reception on a port that refuses its line settings: the start fails with the
// port message that names the settings, and leaves no port open and no reader running.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "common/messages_win32.h"
#include "config/settings_record.h"
#include "reception/receive_thread_win32.h"
#include "reception/serial_api_win32.h"
#include "reception/serial_port_win32.h"

namespace {

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
  BOOL Setup(HANDLE, DWORD, DWORD) override { return TRUE; }
  BOOL GetState(HANDLE, DCB*) override { return !refuseGet_; }
  BOOL SetState(HANDLE, DCB* dcb) override {
    asked = *dcb;
    return !refuseSet_;
  }
  BOOL GetTimeouts(HANDLE, COMMTIMEOUTS*) override { return TRUE; }
  BOOL SetTimeouts(HANDLE, COMMTIMEOUTS*) override { return TRUE; }

  HANDLE handle = nullptr;
  DCB asked{};

 private:
  bool failOpen_, refuseGet_, refuseSet_;
};

bool HandleClosed(HANDLE h) {
  DWORD flags = 0;
  return h == nullptr || !GetHandleInformation(h, &flags);
}

TEST(PortStart, APortThatRefusesItsSettingsFailsTheStartWithItsMessage) {
  struct Case {
    const char* name;
    bool failOpen, refuseGet, refuseSet;
    int result;
  };
  const Case cases[] = {
      {"SetCommState refuses 1.5 stop bits", false, false, true, kPortSettingsRefused},
      {"GetCommState fails", false, true, false, kPortSettingsRefused},
      {"the port does not open", true, false, false, -101},
  };
  const char* openFailed = PortErrorText(-101);
  ASSERT_NE(openFailed, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RefusingPort port(c.failOpen, c.refuseGet, c.refuseSet);
    SetDefaultSettings(Settings);
    Settings.STOPBIT = 1;  // "1.5"
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
    if (c.refuseSet) {
      EXPECT_EQ(port.asked.StopBits, ONE5STOPBITS);  // the choice is still asked for
    }
  }
}

}  // namespace
