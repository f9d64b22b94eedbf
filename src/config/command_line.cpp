#include "config/command_line.h"

#include <cstddef>
#include <cstring>

int KeyPause = 20;
char SettingsName[kSettingsNameSize];

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// "/D" + at most 4 characters: the decimal number at the start of the text, 0 without a
// digit. A negative number gives 0, so that no pause can become endless.
void ApplyPause(const char* text, std::size_t length) {
  if (length > 4) return;
  std::size_t i = 0;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int value = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
  KeyPause = negative ? 0 : value;
}

// "/F" + 1 to 99 characters: the name of the settings file.
void ApplyName(const char* text, std::size_t length) {
  if (length == 0 || length >= kSettingsNameSize) return;
  std::memcpy(SettingsName, text, length);
  SettingsName[length] = 0;
}

void ApplyWord(const char* word, std::size_t length) {
  if (length < 2 || word[0] != '/') return;
  if (word[1] == 'D') ApplyPause(word + 2, length - 2);
  if (word[1] == 'F') ApplyName(word + 2, length - 2);
}

}  // namespace

void ParseCommandLine(const char* text) {
  if (text == nullptr) return;
  while (*text != 0) {
    while (IsBlank(*text)) ++text;
    const char* word = text;
    while (*text != 0 && !IsBlank(*text)) ++text;
    if (text > word) ApplyWord(word, static_cast<std::size_t>(text - word));
  }
}
