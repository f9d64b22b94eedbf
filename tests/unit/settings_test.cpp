#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>
#include <variant>

#include "config/settings.h"
#include "settings_test_support.h"

namespace {

const char kDefaultFile[] =
    "[Tamblix( TM ) Ver.2.5.2]\r\nPORT=0\r\nBAUD=0\r\nBITS=1\r\nPARITY=0\r\nSTOPBIT=0\r\nRTSC=0\r\n"
    "CTSC=0\r\nXFLOWC=0\r\nAUTOSTA=0\r\nDATADELAY=50\r\nCONVCODE=0\r\nDATAWAIT=10\r\nSENDDELAY=10\r\n"
    "KANJIIN=0000000000\r\nKANJIOUT=0000000000\r\nKANAIN=0000000000\r\nKANAOUT=0000000000\r\n"
    "RCVSTA=0000000000\r\nRCVEND=0000000000\r\nRCVSTAOUT=0\r\nRCVENDOUT=0\r\n"
    "PRECODE=0000000000000000000000000000000000000000\r\n"
    "POSTCODE=0000000000000000000000000000000000000000\r\n"
    "LOGEXEC=0\r\nLOGNOSEND=0\r\nLOGOPENMD=1\r\nLOGFLSIZE=000A\r\nLOGDSPMSG=1\r\nLOGABORT=1\r\n"
    "LOGFOLDER=\r\nLOGFILE=\r\nLOGNAME=1\r\nLOGADDENT=1\r\nLOGWDATE=0\r\nLOGWTIME=0\r\nSENDMODE=0\r\n"
    "REQCODE=0000000000000000000000000000000000000000\r\nREQTIMER=0\r\nREQAFTER=0\r\n"
    "REQHOTKEY=0000\r\nFILTER=\r\nDUPTIME=0\r\nTARGET=\r\nTARGETMODE=0\r\nTARGETWAIT=30\r\n"
    "IMEOFF=1\r\nOUTPUT=\r\n"
    "SOURCE=0\r\nTCPHOST=\r\nTCPPORT=4001\r\nTCPALLOW=\r\nPORTID=\r\n";

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsTempFolder folder;
  std::string path = folder.File("Tamblix.ini");

  // Reads a file made of the given text into a fresh record.
  SettingsRecord Read(const std::string& text) {
    WriteWholeFile(path, text);
    SettingsRecord s;
    std::memset(&s, 0x5A, sizeof s);
    ReadSettingsFile(s, path.c_str());
    return s;
  }
  static SettingsRecord Defaults() {
    SettingsRecord s;
    SetDefaultSettings(s);
    return s;
  }
};

// The text of a text row's field, or nullptr for a row of numbers.
const char* TextOf(const SettingsRecord& s, const SettingField& row) {
  return std::visit(
      [&s](auto member) -> const char* {
        const auto& field = s.*member;
        using T = std::remove_cvref_t<decltype(field)>;
        if constexpr (std::is_same_v<std::remove_extent_t<T>, char>) {
          return field;
        } else {
          return nullptr;
        }
      },
      row.member);
}

bool SameRecord(const SettingsRecord& a, const SettingsRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

// ---- the key table ------------------------------------------------------------------------

TEST(SettingsKeyTable, EveryRowBindsTheFieldNamedByItsKey) {
  // Write a distinct value through each row and check it lands in the field of that name.
  SettingsRecord s;
  SetDefaultSettings(s);
  ApplySettingsLine(s, "PORT=7");
  ApplySettingsLine(s, "CONVCODE=1");
  ApplySettingsLine(s, "SENDDELAY=1999");
  ApplySettingsLine(s, "KANAOUT=0F");
  ApplySettingsLine(s, "POSTCODE=010D");
  ApplySettingsLine(s, "LOGFLSIZE=07D0");
  ApplySettingsLine(s, "LOGFILE=a.log");
  ApplySettingsLine(s, "LOGWTIME=1");
  ApplySettingsLine(s, "SENDMODE=1");
  ApplySettingsLine(s, "REQCODE=51");
  ApplySettingsLine(s, "REQTIMER=30000");
  ApplySettingsLine(s, "REQAFTER=1");
  ApplySettingsLine(s, "REQHOTKEY=0651");
  ApplySettingsLine(s, "FILTER=(\\d+)");
  ApplySettingsLine(s, "DUPTIME=500");
  ApplySettingsLine(s, "TARGET=EXCEL.EXE");
  ApplySettingsLine(s, "TARGETMODE=2");
  ApplySettingsLine(s, "TARGETWAIT=3600");
  ApplySettingsLine(s, "OUTPUT=$1[TAB]'$2");
  ApplySettingsLine(s, "SOURCE=3");
  ApplySettingsLine(s, "TCPHOST=192.168.127.254");
  ApplySettingsLine(s, "TCPPORT=65535");
  ApplySettingsLine(s, "TCPALLOW=127.0.0.1;10.0.0.5");
  ApplySettingsLine(s, "PORTID=USB\\VID_0403&PID_6001\\A12345");
  EXPECT_EQ(s.PORT, 7);
  EXPECT_EQ(s.CONVCODE, 1);
  EXPECT_EQ(s.SENDDELAY, 1999);
  EXPECT_EQ(s.KANAOUT[0], 0x0F);
  EXPECT_EQ(s.KANAIN[0], 0);
  EXPECT_EQ(s.POSTCODE[0], 0x010D);
  EXPECT_EQ(s.PRECODE[0], 0);
  EXPECT_EQ(s.LOGFLSIZE, 2000);
  EXPECT_STREQ(s.LOGFILE, "a.log");
  EXPECT_EQ(s.LOGWTIME, 1);
  EXPECT_EQ(s.LOGWDATE, 0);
  EXPECT_EQ(s.SENDMODE, 1);
  EXPECT_EQ(s.REQCODE[0], 0x51);
  EXPECT_EQ(s.REQTIMER, 30000);
  EXPECT_EQ(s.REQAFTER, 1);
  EXPECT_EQ(s.REQHOTKEY, 0x0651);
  EXPECT_STREQ(s.FILTER, "(\\d+)");
  EXPECT_EQ(s.DUPTIME, 500);
  EXPECT_STREQ(s.TARGET, "EXCEL.EXE");
  EXPECT_EQ(s.TARGETMODE, 2);
  EXPECT_EQ(s.TARGETWAIT, 3600);
  EXPECT_STREQ(s.OUTPUT, "$1[TAB]'$2");
  EXPECT_EQ(s.SOURCE, 3);
  EXPECT_STREQ(s.TCPHOST, "192.168.127.254");
  EXPECT_EQ(s.TCPPORT, 65535);
  EXPECT_STREQ(s.TCPALLOW, "127.0.0.1;10.0.0.5");
  EXPECT_STREQ(s.PORTID, "USB\\VID_0403&PID_6001\\A12345");
}

// ---- writing ------------------------------------------------------------------------------

TEST_F(SettingsFileTest, DefaultRecordIsWrittenByteForByteAsTheDefaultFile) {
  ASSERT_TRUE(WriteSettingsFile(Defaults(), path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), std::string(kDefaultFile));
}

TEST_F(SettingsFileTest, ValuesAreWrittenInTheirFormats) {
  SettingsRecord s = Defaults();
  s.BAUD = 4;
  s.RCVEND[0] = 0x0D;
  s.RCVEND[1] = 0x0A;
  s.PRECODE[0] = 0x0110;
  s.LOGFLSIZE = 2000;
  std::strcpy(s.LOGFILE, "LOG_&Y&M&D.log");
  const std::uint8_t request[] = {0x1B, 'P', 0x0D, 0x0A};
  std::memcpy(s.REQCODE, request, sizeof request);
  s.REQHOTKEY = 0x0675;  // Ctrl+Alt+F6
  s.TARGETWAIT = 300;
  std::strcpy(s.TARGET, "EXCEL.EXE;\x8E\xF3\x95\x74");  // "受付" in code page 932
  ASSERT_TRUE(WriteSettingsFile(s, path.c_str()));
  const std::string text = ReadWholeFile(path);
  EXPECT_NE(text.find("\r\nBAUD=4\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nRCVEND=0D0A000000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nPRECODE=0110000000000000000000000000000000000000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nLOGFLSIZE=07D0\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nLOGFILE=LOG_&Y&M&D.log\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nREQCODE=1B500D0A00000000000000000000000000000000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nREQHOTKEY=0675\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nTARGETWAIT=300\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nTARGET=EXCEL.EXE;\x8E\xF3\x95\x74\r\n"), std::string::npos);
}

// Every field holds a value other than its default, most at an end of their range, so that a
// key bound to another field (which then keeps its default) or a range cut short reads back
// differently.
TEST_F(SettingsFileTest, WrittenRecordReadsBackUnchanged) {
  SettingsRecord s = Defaults();
  s.PORT = 255;
  s.BAUD = 6;
  s.BITS = 0;
  s.PARITY = 2;
  s.STOPBIT = 2;
  s.RTSC = 3;
  s.CTSC = 1;
  s.XFLOWC = 1;
  s.CONVCODE = 1;
  s.DATADELAY = 2000;
  s.DATAWAIT = 2000;
  s.SENDDELAY = 2000;
  s.AUTOSTA = 1;
  CodeBytes* codes[] = {&s.KANJIIN, &s.KANJIOUT, &s.KANAIN, &s.KANAOUT, &s.RCVSTA, &s.RCVEND};
  for (int c = 0; c < 6; ++c) {
    for (int i = 0; i < kMaxCodeBytes; ++i) (*codes[c])[i] = static_cast<std::uint8_t>(0xFF - 16 * c - i);
  }
  s.RCVSTAOUT = 1;
  s.RCVENDOUT = 1;
  for (int i = 0; i < kMaxKeyItems; ++i) s.PRECODE[i] = static_cast<KeyItem>(0x0101 + i);
  for (int i = 0; i < kMaxKeyItems; ++i) s.POSTCODE[i] = static_cast<KeyItem>(0xFFF0 + i);
  s.LOGEXEC = 1;
  s.LOGNOSEND = 1;
  s.LOGOPENMD = 0;
  s.LOGFLSIZE = 2000;
  s.LOGDSPMSG = 0;
  s.LOGABORT = 0;
  std::memset(s.LOGFOLDER, 'f', kLogFolderSize - 1 - 10);  // the longest that fits a line
  std::memset(s.LOGFILE, 'n', kLogFileSize - 1);
  s.LOGNAME = 0;
  s.LOGWDATE = 1;
  s.LOGWTIME = 1;
  s.LOGADDENT = 0;
  s.SENDMODE = 1;
  for (int i = 0; i < kMaxRequestBytes; ++i) s.REQCODE[i] = static_cast<std::uint8_t>(0xEC + i);
  s.REQTIMER = 30000;
  s.REQAFTER = 1;
  s.REQHOTKEY = 0xFFFF;
  for (int i = 0; i + 1 < kFilterSize; i += 2) std::memcpy(s.FILTER + i, "\x95\x5C", 2);  // 表 x 50
  s.DUPTIME = 30000;
  std::memset(s.TARGET, 't', kTargetSize - 1);
  s.TARGETMODE = 2;
  s.TARGETWAIT = 1;
  s.IMEOFF = 0;
  std::memset(s.OUTPUT, '$', kShortTextSize - 1);
  s.SOURCE = 2;
  std::memset(s.TCPHOST, 'h', kShortTextSize - 1);
  s.TCPPORT = 65535;
  std::memset(s.TCPALLOW, 'a', kShortTextSize - 1);
  std::memset(s.PORTID, 'u', kPortIdSize - 1);
  ASSERT_TRUE(WriteSettingsFile(s, path.c_str()));
  SettingsRecord back;
  ReadSettingsFile(back, path.c_str());
  EXPECT_TRUE(SameRecord(s, back));
  // Field by field, to name the one that differs.
  const SettingsRecord defaults = Defaults();
  for (const SettingField& d : kSettingFields) {
    std::visit(
        [&](auto member) {
          EXPECT_NE(std::memcmp(&(s.*member), &(defaults.*member), sizeof(s.*member)), 0) << d.key;
          EXPECT_EQ(std::memcmp(&(s.*member), &(back.*member), sizeof(s.*member)), 0) << d.key;
        },
        d.member);
  }
}

// ---- the mended save: the old file survives every failed write -----------------------------

TEST_F(SettingsFileTest, TargetThatIsAFolderIsLeftAloneAndNoTemporaryFileRemains) {
  const std::string target = folder.File("AFolder.ini");
  std::filesystem::create_directory(target);
  EXPECT_FALSE(WriteSettingsFile(Defaults(), target.c_str()));
  EXPECT_TRUE(DirectoryExists(target));
  EXPECT_FALSE(FileExists(target + ".tmp"));
}

TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileUntouched) {
  WriteWholeFile(path, "old contents");
  // A temporary name that cannot be created: a folder stands in its place.
  std::filesystem::create_directory(path + ".tmp");
  EXPECT_FALSE(WriteSettingsFile(Defaults(), path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "old contents");
}

TEST_F(SettingsFileTest, MissingFolderWritesNothing) {
  const std::string missing = folder.Path() + "/no_such_folder/Tamblix.ini";
  EXPECT_FALSE(WriteSettingsFile(Defaults(), missing.c_str()));
  EXPECT_FALSE(FileExists(missing));
}

TEST_F(SettingsFileTest, SuccessfulWriteReplacesAnExistingFileWholly) {
  WriteWholeFile(path, std::string(10000, 'x'));
  ASSERT_TRUE(WriteSettingsFile(Defaults(), path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), std::string(kDefaultFile));
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

// ---- reading: numbers ---------------------------------------------------------------------

TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
  SettingsRecord s;
  std::memset(&s, 0x5A, sizeof s);
  ReadSettingsFile(s, folder.File("missing.ini").c_str());
  EXPECT_TRUE(SameRecord(s, Defaults()));
}

// Files of older versions end at LOGWTIME (no send mode), at SENDMODE (no requests,
// shaping or target), at TARGETWAIT (no input method setting, no output template) or at
// TCPALLOW (no followed device): with a
// changed value before the cut, they load with the defaults after it, and the record writes
// back as the full file.
TEST_F(SettingsFileTest, FilesOfOlderVersionsLoadTheLaterKeysWithTheirDefaults) {
  for (const char* firstMissing : {"SENDMODE=", "REQCODE=", "IMEOFF=", "SOURCE=", "PORTID="}) {
    std::string old = kDefaultFile;
    old.erase(old.find(firstMissing));
    old.replace(old.find("PORT=0"), 6, "PORT=3");
    const SettingsRecord s = Read(old);
    SettingsRecord expected = Defaults();
    expected.PORT = 3;
    EXPECT_TRUE(SameRecord(s, expected)) << firstMissing;
    EXPECT_EQ(s.TARGETWAIT, 30) << firstMissing;
    EXPECT_EQ(s.IMEOFF, 1) << firstMissing;
  }
}

TEST_F(SettingsFileTest, NumberAboveItsMaximumKeepsTheFormerValue) {
  EXPECT_EQ(Read("BAUD=7\r\n").BAUD, 0);
  EXPECT_EQ(Read("BAUD=6\r\n").BAUD, 6);
}

TEST_F(SettingsFileTest, DataDelayRangeIsZeroToTwoThousand) {
  EXPECT_EQ(Read("DATADELAY=2000\r\n").DATADELAY, 2000);
  EXPECT_EQ(Read("DATADELAY=2001\r\n").DATADELAY, 50);
  EXPECT_EQ(Read("DATADELAY=-1\r\n").DATADELAY, 50);
  EXPECT_EQ(Read("DATADELAY=0\r\n").DATADELAY, 0);
  EXPECT_EQ(Read("DATADELAY=99999999999999999999\r\n").DATADELAY, 50);
}

TEST_F(SettingsFileTest, ShortCodeSetsOnlyTheElementsGiven) {
  SettingsRecord s = Read("RCVEND=0D0A\r\n");
  EXPECT_EQ(s.RCVEND[0], 0x0D);
  EXPECT_EQ(s.RCVEND[1], 0x0A);
  EXPECT_EQ(s.RCVEND[2], 0);
  s = Read("RCVEND=0102030405\r\nRCVEND=0D0A\r\n");
  const std::uint8_t merged[6] = {0x0D, 0x0A, 0x03, 0x04, 0x05, 0};
  EXPECT_EQ(std::memcmp(s.RCVEND, merged, 6), 0);
  s = Read("RCVSTA=021B");  // no line end at all
  EXPECT_EQ(s.RCVSTA[0], 0x02);
  EXPECT_EQ(s.RCVSTA[1], 0x1B);
}

TEST_F(SettingsFileTest, HexElementsAcceptLowerCaseAndAnOddLastDigit) {
  const SettingsRecord s = Read("KANJIIN=1b2442f\r\nPRECODE=0110abcd\r\n");
  const std::uint8_t code[6] = {0x1B, 0x24, 0x42, 0x0F, 0, 0};
  EXPECT_EQ(std::memcmp(s.KANJIIN, code, 6), 0);
  EXPECT_EQ(s.PRECODE[0], 0x0110);
  EXPECT_EQ(s.PRECODE[1], 0xABCD);
  EXPECT_EQ(s.PRECODE[2], 0);
}

// Each new number key against the edges of its range: in range stored, out of range the
// default kept.
TEST_F(SettingsFileTest, NewNumberKeysKeepTheirDefaultsOutsideTheirRanges) {
  EXPECT_EQ(Read("REQTIMER=30000\r\n").REQTIMER, 30000);
  EXPECT_EQ(Read("REQTIMER=30001\r\n").REQTIMER, 0);
  EXPECT_EQ(Read("REQTIMER=-1\r\n").REQTIMER, 0);
  EXPECT_EQ(Read("DUPTIME=30001\r\n").DUPTIME, 0);
  EXPECT_EQ(Read("REQAFTER=2\r\n").REQAFTER, 0);
  EXPECT_EQ(Read("TARGETMODE=3\r\n").TARGETMODE, 0);
  EXPECT_EQ(Read("TARGETWAIT=0\r\n").TARGETWAIT, 30);
  EXPECT_EQ(Read("TARGETWAIT=1\r\n").TARGETWAIT, 1);
  EXPECT_EQ(Read("TARGETWAIT=3601\r\n").TARGETWAIT, 30);
  EXPECT_EQ(Read("SOURCE=4\r\n").SOURCE, 0);
  EXPECT_EQ(Read("TCPPORT=0\r\n").TCPPORT, 4001);
  EXPECT_EQ(Read("TCPPORT=65536\r\n").TCPPORT, 4001);
  EXPECT_EQ(Read("TCPPORT=10001\r\n").TCPPORT, 10001);
  EXPECT_EQ(Read("REQHOTKEY=FFFF\r\n").REQHOTKEY, 0xFFFF);
  EXPECT_EQ(Read("REQHOTKEY=675\r\n").REQHOTKEY, 0x675);  // read as one element of four digits
}

// The request holds 20 bytes: a longer value stops at the 20th, and the byte after it stays 0.
TEST_F(SettingsFileTest, RequestCodeHoldsTwentyBytes) {
  const SettingsRecord s = Read("REQCODE=" + std::string(40, '4') + "4142\r\n");
  for (int i = 0; i < kMaxRequestBytes; ++i) EXPECT_EQ(s.REQCODE[i], 0x44) << i;
  EXPECT_EQ(s.REQCODE[kMaxRequestBytes], 0);
  EXPECT_EQ(s.REQTIMER, 0);
}

TEST_F(SettingsFileTest, LogSizeIsHexadecimal) {
  EXPECT_EQ(Read("LOGFLSIZE=07D0\r\n").LOGFLSIZE, 2000);
  EXPECT_EQ(Read("LOGFLSIZE=2000\r\n").LOGFLSIZE, 10);  // 0x2000 is above the maximum
  EXPECT_EQ(Read("LOGFLSIZE=0\r\n").LOGFLSIZE, 0);
}

TEST_F(SettingsFileTest, OutOfRangeElementEndsTheLineKeepingEarlierOnes) {
  // "-1" reads as a negative element, below the minimum.
  const SettingsRecord s = Read("RCVSTA=0102030405\r\nRCVSTA=AA-1BB\r\n");
  const std::uint8_t code[6] = {0xAA, 0x02, 0x03, 0x04, 0x05, 0};
  EXPECT_EQ(std::memcmp(s.RCVSTA, code, 6), 0);
}

TEST_F(SettingsFileTest, ElementThatIsNotANumberEndsTheLine) {
  EXPECT_EQ(Read("KANJIIN=ZZ\r\n").KANJIIN[0], 0);
  const SettingsRecord s = Read("KANJIIN=1BZZ42\r\nPORT=x\r\n");
  EXPECT_EQ(s.KANJIIN[0], 0x1B);
  EXPECT_EQ(s.KANJIIN[1], 0);
  EXPECT_EQ(s.KANJIIN[2], 0);
  EXPECT_EQ(s.PORT, 0);
}

TEST_F(SettingsFileTest, KeysMatchCaseSensitivelyAtTheStartOfTheLine) {
  EXPECT_EQ(Read("port=3\r\n").PORT, 0);
  EXPECT_EQ(Read(" PORT=3\r\n").PORT, 0);
  EXPECT_EQ(Read("PORT 3\r\n").PORT, 0);
  EXPECT_EQ(Read("PORT=3\r\n").PORT, 3);
}

TEST_F(SettingsFileTest, LastLineOfARepeatedKeyWins) {
  EXPECT_EQ(Read("PORT=3\r\nBAUD=1\r\nPORT=5\r\n").PORT, 5);
  EXPECT_EQ(Read("PORT=3\r\nPORT=256\r\n").PORT, 3);
}

TEST_F(SettingsFileTest, HeaderMayHoldAnythingOrBeMissing) {
  const SettingsRecord a = Read("[something else entirely]\r\nBAUD=3\r\n");
  const SettingsRecord b = Read("BAUD=3\r\n");
  EXPECT_EQ(a.BAUD, 3);
  EXPECT_TRUE(SameRecord(a, b));
}

TEST_F(SettingsFileTest, LinesWithBareLfOrNoLineEndAreRead) {
  const SettingsRecord s = Read("BAUD=2\nPORT=4\r\nLOGFILE=x.log");
  EXPECT_EQ(s.BAUD, 2);
  EXPECT_EQ(s.PORT, 4);
  EXPECT_STREQ(s.LOGFILE, "x.log");
}

TEST_F(SettingsFileTest, EveryDefaultFileLineReadsBackAsTheDefaults) {
  EXPECT_TRUE(SameRecord(Read(kDefaultFile), Defaults()));
}

// ---- reading: texts -----------------------------------------------------------------------

TEST_F(SettingsFileTest, TextValuesAreStoredAsWrittenAndEmptyLeavesThem) {
  SettingsRecord s = Read("LOGFILE=LOG_&Y&M&D.log\r\n");
  EXPECT_STREQ(s.LOGFILE, "LOG_&Y&M&D.log");
  s = Read("LOGFOLDER=C:\\logs\r\nLOGFOLDER=\r\n");
  EXPECT_STREQ(s.LOGFOLDER, "C:\\logs");
  EXPECT_STREQ(Read("LOGFOLDER=\r\n").LOGFOLDER, "");
}

TEST_F(SettingsFileTest, OverLongTextIsCutToItsField) {
  const SettingsRecord s = Read("LOGFILE=" + std::string(300, 'n') + "\r\n");
  EXPECT_EQ(std::string(s.LOGFILE), std::string(kLogFileSize - 1, 'n'));
  // The record is fully zeroed by the defaults first, so nothing past the field was touched.
  EXPECT_EQ(s.LOGNAME, 1);
}

// A value longer than its field is cut where a character ends: 表 (95 5C) whose second byte would fall past the cut goes whole.
TEST_F(SettingsFileTest, OverLongTextIsCutAtACharacterBoundary) {
  const auto times = [](int n, const std::string& text) {
    std::string all;
    for (int i = 0; i < n; ++i) all += text;
    return all;
  };
  const std::string hyo = "\x95\x5C", n = "n", a = "a";
  const struct {
    const char* what;
    const char* key;
    std::string value, stored;
  } rows[] = {
      {"表 across the end of LOGFILE", "LOGFILE=", times(49, n) + hyo + "x", times(49, n)},
      {"表 as the last two bytes of LOGFILE", "LOGFILE=", times(48, n) + hyo + "x", times(48, n) + hyo},
      {"two-byte text cut to LOGFILE", "LOGFILE=", "n" + times(30, hyo), n + times(24, hyo)},
      {"表 across the end of LOGFOLDER", "LOGFOLDER=", times(1023, a) + hyo + "b", times(1023, a)},
      {"表 as the last two bytes of LOGFOLDER", "LOGFOLDER=", times(1022, a) + hyo + "b",
       times(1022, a) + hyo},
      {"表 across the end of FILTER", "FILTER=", times(99, n) + hyo, times(99, n)},
      {"two-byte text cut to FILTER", "FILTER=", times(60, hyo), times(50, hyo)},
      {"表 across the end of TARGET", "TARGET=", "n" + times(50, hyo), n + times(49, hyo)},
  };
  for (const auto& row : rows) {
    const SettingsRecord s = Read(row.key + row.value + "\r\n");
    for (const SettingField& d : kSettingFields) {
      const char* text = TextOf(s, d);
      if (text == nullptr) continue;
      EXPECT_EQ(std::string(text), std::strcmp(d.key, row.key) == 0 ? row.stored : "") << row.what << ", " << d.key;
    }
  }
}

// ---- reading: long lines and bad files ------------------------------------------------------

TEST_F(SettingsFileTest, ALineIsReadWholeAndTheRestOfAnOverLongOneSetsNoKey) {
  // A LOGFOLDER of 1015 to 1024 characters survives a save and a reload.
  for (int n : {1015, 1024}) {
    const std::string folder(static_cast<std::size_t>(n), 'a');
    const SettingsRecord s = Read("LOGFOLDER=" + folder + "\r\nPORT=3\r\n");
    EXPECT_EQ(std::string(s.LOGFOLDER), folder);
    ASSERT_TRUE(WriteSettingsFile(s, path.c_str()));
    SettingsRecord again;
    ReadSettingsFile(again, path.c_str());
    EXPECT_EQ(std::string(again.LOGFOLDER), folder) << n;
    EXPECT_EQ(s.PORT, 3);
  }
  // Past the longest line the program writes, the rest of the line is skipped.
  const std::string first = "LOGFOLDER=" + std::string(kSettingsLineMax - 10, 'a');
  const SettingsRecord s = Read(first + "PORT=9" + std::string(470, 'z') + "\r\nBAUD=2\r\n");
  EXPECT_EQ(std::string(s.LOGFOLDER), std::string(kLogFolderSize - 1, 'a'));
  EXPECT_EQ(s.PORT, 0);
  EXPECT_EQ(s.BAUD, 2);
}

TEST_F(SettingsFileTest, BinaryFileIsSurvivedAndIgnored) {
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
  SettingsRecord s = Read(bytes + "\nBAUD=2\r\n");
  EXPECT_EQ(s.BAUD, 2);
  s = Read(std::string("PORT=\0" "9\r\n", 9));
  EXPECT_EQ(s.PORT, 0);
}

TEST_F(SettingsFileTest, TenMegabyteLineIsSurvived) {
  std::string line = "LOGFILE=";
  line.append(10 * 1024 * 1024, 'L');
  const SettingsRecord s = Read(line + "\r\nPORT=2\r\n");
  EXPECT_EQ(std::string(s.LOGFILE), std::string(kLogFileSize - 1, 'L'));
  EXPECT_EQ(s.PORT, 2);
}
