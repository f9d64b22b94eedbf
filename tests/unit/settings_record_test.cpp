#include <gtest/gtest.h>

#include <cstring>

#include "config/settings_record.h"

TEST(SettingsRecord, DefaultsAreTheDocumentedOnesAndEverythingElseIsEmpty) {
  SettingsRecord s;
  std::memset(&s, 0xAB, sizeof s);
  SetDefaultSettings(s);
  EXPECT_EQ(s.BITS, 1);
  EXPECT_EQ(s.DATADELAY, 50);
  EXPECT_EQ(s.DATAWAIT, 10);
  EXPECT_EQ(s.SENDDELAY, 10);
  EXPECT_EQ(s.LOGOPENMD, 1);
  EXPECT_EQ(s.LOGFLSIZE, 10);
  EXPECT_EQ(s.LOGDSPMSG, 1);
  EXPECT_EQ(s.LOGABORT, 1);
  EXPECT_EQ(s.LOGNAME, 1);
  EXPECT_EQ(s.LOGADDENT, 1);
  EXPECT_EQ(s.PORT, 0);
  EXPECT_EQ(s.LOGEXEC, 0);
  EXPECT_FALSE(IsConfigured(s.RCVSTA));
  EXPECT_FALSE(IsConfigured(s.POSTCODE));
  EXPECT_EQ(s.LOGFOLDER[0], 0);
  EXPECT_EQ(s.LOGFILE[kLogFileSize - 1], 0);
}
