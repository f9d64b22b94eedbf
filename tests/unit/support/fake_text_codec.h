// A stand-in for the code page 932 conversion of the program: ASCII stays, a half-width kana
// byte becomes U+FF61.., a two-byte character one unit of U+4E00..U+8DFF (its lead and trail
// bytes in the unit's bits), and back. Invertible, so tests see exactly the bytes they gave.
#pragma once
#include "shaping/frame_shaper.h"

extern const TextCodec kFakeCodec;
