#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "datalog/log_dialog.h"

namespace {

std::string Dropped(std::string text) {
  DropTrailingBackslash(text.data());
  return text.c_str();
}

std::string ChooserPath(const std::string& folder, const std::string& name,
                        std::size_t size = kLogDialogTextSize) {
  std::string out(size + 8, 'G');
  BuildLogChooserPath(folder.c_str(), name.c_str(), out.data(), size);
  for (std::size_t i = size; i < size + 8; ++i) EXPECT_EQ(out[i], 'G') << "written past the end at " << i;
  return out.c_str();
}

struct Split {
  std::string folder;
  std::string name;
};

Split SplitPath(const std::string& path, std::size_t folderSize = kLogDialogTextSize,
                std::size_t nameSize = kLogDialogTextSize) {
  std::string folder(folderSize + 4, 'G');
  std::string name(nameSize + 4, 'G');
  SplitLogChooserPath(path.c_str(), folder.data(), folderSize, name.data(), nameSize);
  EXPECT_EQ(folder.substr(folderSize), "GGGG");
  EXPECT_EQ(name.substr(nameSize), "GGGG");
  return {folder.c_str(), name.c_str()};
}

// 表 is 0x95 0x5C in code page 932: its second byte is the byte of a backslash.
const std::string kHyo = "表";

}  // namespace

TEST(LogDialogText, OneTrailingBackslashIsDropped) {
  EXPECT_EQ(Dropped("C:\\logs\\"), "C:\\logs");
  EXPECT_EQ(Dropped("C:\\logs"), "C:\\logs");
  EXPECT_EQ(Dropped("C:\\"), "C:");
  EXPECT_EQ(Dropped("a.log\\\\"), "a.log\\");
  EXPECT_EQ(Dropped(""), "");
  EXPECT_TRUE(EndsWithBackslash("x\\"));
  EXPECT_FALSE(EndsWithBackslash("x"));
  EXPECT_FALSE(EndsWithBackslash(""));
}

TEST(LogDialogText, SecondByteOfATwoByteCharacterIsNoBackslash) {
  ASSERT_EQ(kHyo, "\x95\x5C");
  EXPECT_FALSE(EndsWithBackslash(("C:\\" + kHyo).c_str()));
  EXPECT_EQ(Dropped("C:\\" + kHyo), "C:\\" + kHyo);
  EXPECT_EQ(Dropped("C:\\" + kHyo + "\\"), "C:\\" + kHyo);
}

TEST(LogDialogText, CopyCutsWholeCharactersAndStaysInItsBuffer) {
  char out[6];
  std::memset(out, 'G', sizeof out);
  CopyTextCut(out, 5, "abcdefg");
  EXPECT_STREQ(out, "abcd");
  EXPECT_EQ(out[5], 'G');
  // "ab表c": the cut at four bytes would fall inside 表, which is left out whole.
  CopyTextCut(out, 4, ("ab" + kHyo + "c").c_str());
  EXPECT_STREQ(out, "ab");
  CopyTextCut(out, 5, ("ab" + kHyo + "c").c_str());
  EXPECT_EQ(std::string(out), "ab" + kHyo);
  CopyTextCut(out, 1, "abc");
  EXPECT_STREQ(out, "");
  out[0] = 'G';
  CopyTextCut(out, 0, "abc");
  EXPECT_EQ(out[0], 'G');
}

TEST(LogDialogChooserPath, FolderAndNameAreJoinedByOneBackslash) {
  EXPECT_EQ(ChooserPath("C:\\logs", "a.log"), "C:\\logs\\a.log");
  EXPECT_EQ(ChooserPath("C:\\logs\\", "a.log"), "C:\\logs\\a.log");
  EXPECT_EQ(ChooserPath("", "a.log"), "a.log");
  EXPECT_EQ(ChooserPath("C:\\" + kHyo, "a.log"), "C:\\" + kHyo + "\\a.log");
}

TEST(LogDialogChooserPath, AnEndingBackslashGetsTheLogPattern) {
  EXPECT_EQ(ChooserPath("C:\\logs", ""), "C:\\logs\\*.log");
  EXPECT_EQ(ChooserPath("C:\\logs\\", ""), "C:\\logs\\*.log");
  EXPECT_EQ(ChooserPath("C:\\logs", "sub\\"), "C:\\logs\\sub\\*.log");
  EXPECT_EQ(ChooserPath("", ""), "");
}

TEST(LogDialogChooserPath, TheNameIsCutToWhatStillFits) {
  const std::string folder(1070, 'f');
  EXPECT_EQ(ChooserPath(folder, "abcdefgh"), folder + "\\abc");
  EXPECT_EQ(ChooserPath(folder, "ab" + kHyo + "x"), folder + "\\ab");
  // Not even the pattern fits after a folder that fills the buffer.
  const std::string full(1073, 'f');
  EXPECT_EQ(ChooserPath(full, ""), full + "\\");
  EXPECT_EQ(ChooserPath("C:\\x", "", 8), "C:\\x\\*.");
}

TEST(LogDialogChooserSplit, PathIsSplitAtItsLastBackslash) {
  const Split a = SplitPath("C:\\logs\\day\\a.log");
  EXPECT_EQ(a.folder, "C:\\logs\\day");
  EXPECT_EQ(a.name, "a.log");
  const Split root = SplitPath("C:\\a.log");
  EXPECT_EQ(root.folder, "C:");
  EXPECT_EQ(root.name, "a.log");
  const Split bare = SplitPath("a.log");
  EXPECT_EQ(bare.folder, "");
  EXPECT_EQ(bare.name, "a.log");
}

TEST(LogDialogChooserSplit, TwoByteNamesAreNotSplitInsideACharacter) {
  const Split s = SplitPath("C:\\logs\\" + kHyo + ".log");
  EXPECT_EQ(s.folder, "C:\\logs");
  EXPECT_EQ(s.name, kHyo + ".log");
  const Split f = SplitPath("C:\\" + kHyo + "\\a.log");
  EXPECT_EQ(f.folder, "C:\\" + kHyo);
  EXPECT_EQ(f.name, "a.log");
}

TEST(LogDialogChooserSplit, PartsAreCutToTheirBuffers) {
  const Split s = SplitPath("C:\\logs\\abcdefgh.log", 5, 4);
  EXPECT_EQ(s.folder, "C:\\l");
  EXPECT_EQ(s.name, "abc");
}

// The chooser starts at the path cut to its 1024-byte buffer and without a trailing backslash,
// both at character boundaries: a name ending in 表 (95 5C) keeps its last character.
TEST(LogDialogChooserStart, CutAndTrailingBackslashAtCharacterBoundaries) {
  const std::string so = "\x83\x5C";  // ソ
  const struct {
    std::string path, start;
  } rows[] = {
      {"C:\\logs\\" + kHyo, "C:\\logs\\" + kHyo},
      {"C:\\logs\\" + so + "\\", "C:\\logs\\" + so},
      {"C:\\logs\\", "C:\\logs"},
      {std::string(1022, 'a') + kHyo, std::string(1022, 'a')},
      {std::string(1021, 'a') + kHyo, std::string(1021, 'a') + kHyo},
  };
  for (const auto& row : rows) {
    std::string out(1024 + 4, 'G');
    ChooserStartPath(row.path.c_str(), out.data(), 1024);
    EXPECT_EQ(out.substr(1024), "GGGG");
    EXPECT_EQ(std::string(out.c_str()), row.start) << row.path.size();
  }
}
