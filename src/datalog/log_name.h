// The log file name template: &Y &y &M &D &h &m &s stand for the parts of the local time.
#pragma once

#include "datalog/log_clock.h"

// Room for an expanded name: 49 characters and the terminator.
inline constexpr int kLogNameSize = 50;

// Writes the expansion of `templ` into `out`: all `size` bytes are zeroed first, and the result
// is cut at size - 1 bytes (never inside a two-byte character), so nothing is written past
// out[size - 1]. An ampersand that is not followed by a code letter is dropped. Does nothing
// when size <= 0.
void ExpandLogName(const char* templ, char* out, int size, const LocalTime& time);
// The same with the local time taken once from `clock`.
void ExpandLogName(const char* templ, char* out, int size, LogClock& clock);

// 0 when the name may be stored as a template, -1 when it holds one of the characters
//   \ $ / : , ; * ? " < > |
// or an ampersand not followed by D, M, Y, h, m or y (&s and a trailing & are refused).
int CheckLogName(const char* name);
