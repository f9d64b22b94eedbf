// Where the user's documents folder is. The program asks the shell; tests point it at a
// temporary folder.
#pragma once
#include <cstddef>

struct DocumentsFolder {
  virtual ~DocumentsFolder() = default;
  // Writes the folder's path (no trailing backslash) into out; false when there is none.
  virtual bool Path(char* out, std::size_t size) = 0;
};

// The shell's documents folder (Win32 build only).
DocumentsFolder& ShellDocumentsFolder();
