#include "datalog/log_record.h"

#include "common/two_byte_text.h"
#include "keyout/code_notation.h"

namespace {

// One byte of the record; a line feed becomes CR LF as a text-mode stream would write it.
void PutByte(std::FILE* file, unsigned char b) {
  if (b == '\n') std::fputc('\r', file);
  std::fputc(b, file);
}

void PutText(std::FILE* file, const char* text) {
  for (; *text != 0; ++text) PutByte(file, static_cast<unsigned char>(*text));
}

// Printable bytes and half-width kana as they are, two-byte characters whole, everything else
// (control codes, DEL, 0xA0, a lead byte without its second byte) as <name>.
void PutConverted(std::FILE* file, const char* text) {
  for (const char* p = text; *p != 0; ++p) {
    const unsigned char b = static_cast<unsigned char>(*p);
    if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
      PutByte(file, b);
    } else if (IsTwoByteClass(b) && p[1] != 0) {
      PutByte(file, b);
      PutByte(file, static_cast<unsigned char>(*++p));
    } else {
      std::fputc('<', file);
      PutText(file, CharCodeNames[b]);
      std::fputc('>', file);
    }
  }
}

}  // namespace

void WriteLogRecord(std::FILE* file, const char* text, const SettingsRecord& s,
                    const LocalTime& time) {
  if (s.LOGWDATE) std::fprintf(file, "%04d/%02d/%02d ", time.year, time.month, time.day);
  if (s.LOGWTIME) std::fprintf(file, "%02d:%02d:%02d ", time.hour, time.minute, time.second);
  if (s.LOGNAME) {
    PutConverted(file, text);
  } else {
    PutText(file, text);
  }
  if (s.LOGADDENT) PutByte(file, '\n');
}
