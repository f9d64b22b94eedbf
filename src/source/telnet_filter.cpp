#include "source/telnet_filter.h"

TelnetFilter::Counts TelnetFilter::Filter(const std::uint8_t* in, int n, std::uint8_t* data,
                                          std::uint8_t* reply, int replySize) {
  Counts c{0, 0};
  for (int i = 0; i < n; ++i) {
    const std::uint8_t b = in[i];
    switch (state_) {
      case State::Data:
        if (b == kIac) {
          state_ = State::Command;
        } else {
          data[c.data++] = b;
        }
        break;
      case State::Command:
        if (b == kIac) {
          data[c.data++] = kIac;  // an escaped 0xFF data byte
          state_ = State::Data;
        } else if (b >= kWill) {
          verb_ = b;
          state_ = State::Option;
        } else if (b == kSb) {
          state_ = State::Sub;
        } else {
          state_ = State::Data;  // a command of two bytes (NOP, GA, AYT, ...): dropped
        }
        break;
      case State::Option: {
        // WONT and DONT confirm what is already so: answering them would start a loop.
        const std::uint8_t answer = verb_ == kDo ? kWont : verb_ == kWill ? kDont : 0;
        if (answer != 0 && c.reply + 3 <= replySize) {
          reply[c.reply++] = kIac;
          reply[c.reply++] = answer;
          reply[c.reply++] = b;
        }
        state_ = State::Data;
        break;
      }
      case State::Sub:
        if (b == kIac) state_ = State::SubCommand;
        break;
      case State::SubCommand:
        state_ = b == kSe ? State::Data : State::Sub;
        break;
    }
  }
  return c;
}
