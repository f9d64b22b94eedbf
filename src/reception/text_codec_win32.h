// The program's conversion between code page 932 and UTF-16: 932 named, whatever the system's
// code page (common/wide_text_win32.h does the work).
#pragma once
#include "reception/text_codec.h"

extern const TextCodec kCp932Codec;
