// Texts of the log settings dialog's folder and file name boxes. They are code page 932: a
// 0x5C byte that is the second byte of a two-byte character (表, ソ) is no backslash, and a cut
// never leaves the first byte of a character behind.
#pragma once
#include <cstddef>

#include "common/two_byte_text.h"

// The dialog's working buffers: 1074 characters and the terminator.
inline constexpr std::size_t kLogDialogTextSize = 1075;

// The starting path of the file chooser: `folder`, then a backslash when the folder is not
// empty and does not end in one, then as much of `name` as fits; "*.log" is added (as far as
// it fits) when the result ends in a backslash. `out` has `size` bytes.
void BuildLogChooserPath(const char* folder, const char* name, char* out, std::size_t size);

// The file name the file chooser starts with: `path` cut to `size` bytes (with the terminator)
// at a character boundary, without one trailing backslash (never the second byte of 表 or ソ).
void ChooserStartPath(const char* path, char* out, std::size_t size);

// Splits a chosen path at its last backslash: the part before into `folder`, the part after
// into `name`. Without a backslash the folder is empty and the whole path is the name. Each
// part is cut to its buffer.
void SplitLogChooserPath(const char* path, char* folder, std::size_t folderSize, char* name,
                         std::size_t nameSize);
