// Fuzzing of framing: the input gives the settings (codes of any bytes, unterminated ones
// included), then the stream and how it is cut into blocks. A crash, a leak, an accumulator
// holding more than the longest code, or output that depends on the block cut aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "config/settings.h"
#include "framing/block_processing.h"
#include "framing/framer.h"

namespace {

// Folds every call into a hash; checks that each handed-over text is terminated in bounds.
class HashingOutput : public FrameOutput {
 public:
  std::uint64_t hash = 1469598103934665603ull;
  void TypeCharacter(const std::uint8_t* t) override { Text('T', t, 2); }
  void TypeKeyItems(const KeyItem* list) override {
    Mix('K');
    int i = 0;
    for (; i <= kMaxKeyItems && list[i] != 0; ++i) Mix(list[i]);
    if (i > kMaxKeyItems) std::abort();
  }
  void LogAppend(const std::uint8_t* t) override { Text('L', t, kMaxCodeBytes); }
  void FrameEnded() override { Mix('E'); }
  int LogFlush() override {
    Mix('F');
    return 0;
  }

 private:
  void Mix(unsigned v) { hash = (hash ^ v) * 1099511628211ull; }
  void Text(char tag, const std::uint8_t* t, int max) {
    Mix(static_cast<unsigned>(tag));
    int i = 0;
    for (; i <= max && t[i] != 0; ++i) Mix(t[i]);
    if (i > max) std::abort();
  }
};

// Caps off, dialog not in front; the conversion copies (it is the platform's on Windows).
class QuietHost : public ReceptionHost {
 public:
  bool CapsLockOn() override { return false; }
  void ToggleCapsLock() override {}
  void Pause(std::uint32_t) override {}
  bool MainDialogInFront() override { return false; }
  void Echo(const char*, int) override {}
  int Utf8ToShiftJis(const std::uint8_t* src, int n, std::uint8_t* dst, int cap) override {
    int m = n < cap - 1 ? n : cap - 1;
    std::memcpy(dst, src, static_cast<std::size_t>(m));
    dst[m] = 0;
    return m;
  }
};

constexpr std::size_t kSettingsBytes = 6 * (kMaxCodeBytes + 1) + 4 + 2 * 4;

SettingsRecord ReadSettings(const std::uint8_t* d) {
  SettingsRecord s;
  SetDefaultSettings(s);
  CodeBytes* codes[] = {&s.RCVSTA, &s.RCVEND, &s.KANJIIN, &s.KANJIOUT, &s.KANAIN, &s.KANAOUT};
  for (CodeBytes* c : codes) {
    std::memcpy(*c, d, kMaxCodeBytes + 1);  // the byte after the code may be anything
    d += kMaxCodeBytes + 1;
  }
  s.RCVSTAOUT = d[0] & 1;
  s.RCVENDOUT = d[1] & 1;
  s.CONVCODE = d[2] & 1;
  s.DATADELAY = static_cast<std::int16_t>(d[3] & 0x3F);
  d += 4;
  for (int i = 0; i < 4; ++i) s.PRECODE[i] = static_cast<KeyItem>(d[i] | 0x100);
  for (int i = 0; i < 4; ++i) s.POSTCODE[i] = static_cast<KeyItem>(d[4 + i]);
  return s;
}

// Feeds the stream cut by `cuts` (0: one block), with a timeout check between blocks when
// `clock` is set. Returns the output hash.
std::uint64_t Run(const SettingsRecord& s, const std::uint8_t* data, std::size_t n,
                  const std::uint8_t* cuts, std::size_t ncuts, bool clock) {
  FramerState st;
  InitFrameFlags(st, s);
  HashingOutput out;
  QuietHost host;
  std::uint32_t now = 1, last = 0;
  std::size_t at = 0, k = 0;
  while (at < n) {
    std::size_t len = ncuts == 0 ? n - at : 1 + cuts[k++ % ncuts] % 64;
    if (len > n - at) len = n - at;
    if (clock) {
      now += cuts[k % ncuts];
      CheckDataIntervalTimeout(st, s, out, now, last);
    }
    ProcessBlock(st, s, out, host, data + at, static_cast<int>(len));
    last = now;
    at += len;
    // At most a partial code is held between blocks, so a byte after it makes at most 5.
    if (AccumulatorLength(st) >= kMaxCodeBytes || st.ScanPos < 0 || st.ScanPos >= kAccumulatorSize)
      std::abort();
  }
  return out.hash;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSettingsBytes + 1) return 0;
  const SettingsRecord s = ReadSettings(data);
  const std::size_t ncuts = data[kSettingsBytes] % 16;
  data += kSettingsBytes + 1;
  size -= kSettingsBytes + 1;
  const std::size_t nc = ncuts < size ? ncuts : size;
  const std::uint8_t* cuts = data;
  data += nc;
  size -= nc;

  const std::uint64_t whole = Run(s, data, size, cuts, 0, false);
  if (nc > 0) {
    if (Run(s, data, size, cuts, nc, false) != whole) std::abort();
    Run(s, data, size, cuts, nc, true);  // with timeouts: only the bounds are checked
  }
  return 0;
}
