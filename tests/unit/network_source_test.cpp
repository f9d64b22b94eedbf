// A network source without sockets: the Telnet commands taken out of the data and answered,
// the peers a server lets in, the pauses between reconnects.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "source/network_source.h"
#include "source/telnet_filter.h"

namespace {

std::string Hex(const std::uint8_t* p, int n) {
  std::string out;
  char b[4];
  for (int i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%s%02X", i ? " " : "", p[i]);
    out += b;
  }
  return out;
}

// Each row's input is fed whole, and again one byte per call: both give the same data and answers.
TEST(TelnetFilter, RefusesOptionsDropsCommandsAndUnescapesIac) {
  struct Row {
    const char* what;
    std::basic_string<std::uint8_t> in;
    const char* data;
    const char* reply;
  } rows[] = {
      {"plain data", {'1', '2', 0x0D}, "31 32 0D", ""},
      {"DO answered WONT", {0xFF, 0xFD, 0x18, 'A'}, "41", "FF FC 18"},
      {"WILL answered DONT", {0xFF, 0xFB, 0x01, 'A'}, "41", "FF FE 01"},
      {"WONT and DONT unanswered", {0xFF, 0xFC, 0x01, 0xFF, 0xFE, 0x03, 'B'}, "42", ""},
      {"IAC IAC is one 0xFF byte", {'x', 0xFF, 0xFF, 'y'}, "78 FF 79", ""},
      {"two-byte commands dropped", {0xFF, 0xF1, 'a', 0xFF, 0xF9, 'b'}, "61 62", ""},
      {"subnegotiation dropped, IAC IAC inside it too",
       {0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xFF, 'z', 0xFF, 0xF0, 'c'}, "63", ""},
      {"several requests", {0xFF, 0xFD, 0x01, 0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x1F}, "",
       "FF FC 01 FF FE 03 FF FC 1F"},
  };
  for (const Row& r : rows) {
    const int n = static_cast<int>(r.in.size());
    std::uint8_t data[64], reply[64];
    TelnetFilter whole;
    const TelnetFilter::Counts c = whole.Filter(r.in.data(), n, data, reply, n);
    EXPECT_EQ(Hex(data, c.data), r.data) << r.what;
    EXPECT_EQ(Hex(reply, c.reply), r.reply) << r.what;
    TelnetFilter split;
    std::string dataSplit, replySplit;
    for (int i = 0; i < n; ++i) {
      std::uint8_t d[4], a[4];
      const TelnetFilter::Counts one = split.Filter(&r.in[static_cast<std::size_t>(i)], 1, d, a, 3);
      for (int k = 0; k < one.data; ++k) dataSplit += static_cast<char>(d[k]);
      for (int k = 0; k < one.reply; ++k) replySplit += static_cast<char>(a[k]);
    }
    EXPECT_EQ(Hex(reinterpret_cast<const std::uint8_t*>(dataSplit.data()), static_cast<int>(dataSplit.size())), r.data) << r.what;
    EXPECT_EQ(Hex(reinterpret_cast<const std::uint8_t*>(replySplit.data()), static_cast<int>(replySplit.size())), r.reply) << r.what;
  }
}

TEST(TelnetFilter, AnswerThatDoesNotFitIsDroppedAndResetEndsAHalfCommand) {
  const std::uint8_t in[] = {0xFF, 0xFD, 0x18, 0xFF, 0xFD, 0x01};
  std::uint8_t data[8], reply[8];
  TelnetFilter f;
  EXPECT_EQ(f.Filter(in, 6, data, reply, 4).reply, 3);
  f.Filter(in, 2, data, reply, 8);  // IAC DO, then the connection ends
  f.Reset();
  const std::uint8_t next[] = {0x18};
  const TelnetFilter::Counts c = f.Filter(next, 1, data, reply, 8);
  EXPECT_EQ(Hex(data, c.data), "18");
  EXPECT_EQ(c.reply, 0);
}

TEST(NetworkSource, AllowedPeersAreTheListsAddresses) {
  struct Row {
    const char* list;
    const char* peer;
    bool allowed;
    int count;
  } rows[] = {
      {"", "127.0.0.1", false, 0},
      {"127.0.0.1", "127.0.0.1", true, 1},
      {"127.0.0.1", "127.0.0.2", false, 1},
      {"10.0.0.5; 127.0.0.1 ", "127.0.0.1", true, 2},
      {"127.0.0.1;", "127.0.0.1", true, 1},
      {"127.0.0.10", "127.0.0.1", false, 1},
      {"127.0.0", "127.0.0.0", false, 0},
      {"127.0.0.256;host.example", "127.0.1.0", false, 0},
      {"127.0.0.1.5", "127.0.0.1", false, 0},
      {"0127.0.0.1", "127.0.0.1", false, 0},
  };
  for (const Row& r : rows) {
    std::uint32_t peer = 0;
    ASSERT_TRUE(ParseIpv4(r.peer, std::strlen(r.peer), peer)) << r.peer;
    EXPECT_EQ(PeerAllowed(r.list, peer), r.allowed) << r.list << " / " << r.peer;
    EXPECT_EQ(AllowedPeerCount(r.list), r.count) << r.list;
  }
}

TEST(NetworkSource, ReconnectsWaitOneSecondDoublingToThirtyAndAgainOneAfterAConnection) {
  ReconnectBackoff b;
  std::string delays;
  for (int i = 0; i < 8; ++i) delays += std::to_string(b.NextDelayMs()) + " ";
  EXPECT_EQ(delays, "1000 2000 4000 8000 16000 30000 30000 30000 ");
  b.Connected();
  EXPECT_EQ(b.NextDelayMs(), 1000u);
}

TEST(NetworkSource, SourceKindAndHostPort) {
  SettingsRecord s;
  SetDefaultSettings(s);
  EXPECT_FALSE(IsNetworkSource(s));
  s.SOURCE = 2;
  EXPECT_EQ(SourceOf(s), SourceKind::TcpServer);
  std::strcpy(s.TCPHOST, "192.168.127.254");
  char text[32];
  FormatHostPort(s, text, sizeof text);
  EXPECT_STREQ(text, "192.168.127.254:4001");
  FormatHostPort(s, text, 8);
  EXPECT_STREQ(text, "192.168");
}

}  // namespace
