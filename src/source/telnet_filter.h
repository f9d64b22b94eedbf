// The Telnet protocol's commands taken out of a received stream (RFC 854, 855): data bytes are
// handed on, every option the device offers or asks for is refused (DO answered WONT, WILL
// answered DONT), subnegotiations and other commands are dropped, and IAC IAC is one 0xFF data
// byte. A command split across two reads is carried in the filter's state. Portable.
#pragma once
#include <cstdint>

class TelnetFilter {
 public:
  static constexpr std::uint8_t kIac = 0xFF;
  static constexpr std::uint8_t kDont = 0xFE;
  static constexpr std::uint8_t kDo = 0xFD;
  static constexpr std::uint8_t kWont = 0xFC;
  static constexpr std::uint8_t kWill = 0xFB;
  static constexpr std::uint8_t kSb = 0xFA;
  static constexpr std::uint8_t kSe = 0xF0;

  struct Counts {
    int data;   // bytes written to `data`
    int reply;  // bytes written to `reply`
  };

  // Filters n bytes of `in` into `data` (room for n bytes; it may be `in` itself) and writes
  // the answers to the device's requests into `reply` (room for replySize bytes; n bytes are
  // always enough: an answer of 3 bytes follows a request of 3). An answer that does not fit
  // is dropped.
  Counts Filter(const std::uint8_t* in, int n, std::uint8_t* data, std::uint8_t* reply,
                int replySize);
  // A new connection: no command is half read.
  void Reset() { state_ = State::Data; }

 private:
  enum class State : std::uint8_t { Data, Command, Option, Sub, SubCommand };
  State state_ = State::Data;
  std::uint8_t verb_ = 0;  // WILL, WONT, DO or DONT awaiting its option byte
};
