#include "config/settings_keys.h"

#include <cstddef>

#include "config/settings_record.h"

#define ROW(key, field, min, max, width, count, format) \
  {key, offsetof(SettingsRecord, field), min, max, width, count, format, width}
// LOGFLSIZE is a 32-bit field that the file carries as one 16-bit element.
#define ROW32(key, field, min, max, format) \
  {key, offsetof(SettingsRecord, field), min, max, 2, 1, format, 4}

const SettingDescriptor SettingDescriptors[kSettingRowCount + 1] = {
    ROW("PORT=", PORT, 0, 255, 1, 1, "%d"),
    ROW("BAUD=", BAUD, 0, 6, 1, 1, "%d"),
    ROW("BITS=", BITS, 0, 1, 1, 1, "%d"),
    ROW("PARITY=", PARITY, 0, 2, 1, 1, "%d"),
    ROW("STOPBIT=", STOPBIT, 0, 2, 1, 1, "%d"),
    ROW("RTSC=", RTSC, 0, 3, 1, 1, "%d"),
    ROW("CTSC=", CTSC, 0, 1, 1, 1, "%d"),
    ROW("XFLOWC=", XFLOWC, 0, 1, 1, 1, "%d"),
    ROW("AUTOSTA=", AUTOSTA, 0, 1, 1, 1, "%d"),
    ROW("DATADELAY=", DATADELAY, 0, 2000, 2, 1, "%d"),
    ROW("CONVCODE=", CONVCODE, 0, 1, 1, 1, "%d"),
    ROW("DATAWAIT=", DATAWAIT, 0, 2000, 2, 1, "%d"),
    ROW("SENDDELAY=", SENDDELAY, 0, 2000, 2, 1, "%d"),
    ROW("KANJIIN=", KANJIIN, 0, 255, 1, 5, "%02X"),
    ROW("KANJIOUT=", KANJIOUT, 0, 255, 1, 5, "%02X"),
    ROW("KANAIN=", KANAIN, 0, 255, 1, 5, "%02X"),
    ROW("KANAOUT=", KANAOUT, 0, 255, 1, 5, "%02X"),
    ROW("RCVSTA=", RCVSTA, 0, 255, 1, 5, "%02X"),
    ROW("RCVEND=", RCVEND, 0, 255, 1, 5, "%02X"),
    ROW("RCVSTAOUT=", RCVSTAOUT, 0, 1, 1, 1, "%d"),
    ROW("RCVENDOUT=", RCVENDOUT, 0, 1, 1, 1, "%d"),
    ROW("PRECODE=", PRECODE, 0, 65535, 2, 10, "%04X"),
    ROW("POSTCODE=", POSTCODE, 0, 65535, 2, 10, "%04X"),
    ROW("LOGEXEC=", LOGEXEC, 0, 1, 1, 1, "%d"),
    ROW("LOGNOSEND=", LOGNOSEND, 0, 1, 1, 1, "%d"),
    ROW("LOGOPENMD=", LOGOPENMD, 0, 1, 1, 1, "%d"),
    ROW32("LOGFLSIZE=", LOGFLSIZE, 0, 2000, "%04X"),
    ROW("LOGDSPMSG=", LOGDSPMSG, 0, 1, 1, 1, "%d"),
    ROW("LOGABORT=", LOGABORT, 0, 1, 1, 1, "%d"),
    ROW("LOGFOLDER=", LOGFOLDER, 0, kLogFolderSize, 1, 1, "%s"),
    ROW("LOGFILE=", LOGFILE, 0, kLogFileSize, 1, 1, "%s"),
    ROW("LOGNAME=", LOGNAME, 0, 1, 1, 1, "%d"),
    ROW("LOGADDENT=", LOGADDENT, 0, 1, 1, 1, "%d"),
    ROW("LOGWDATE=", LOGWDATE, 0, 1, 1, 1, "%d"),
    ROW("LOGWTIME=", LOGWTIME, 0, 1, 1, 1, "%d"),
    // Added after the last of the original keys, so that older programs, which ignore lines
    // of keys they do not know, still read the file; a file without it loads with 0.
    ROW("SENDMODE=", SENDMODE, 0, 1, 1, 1, "%d"),
    // Added after SENDMODE in the same way; a file without them loads with the defaults.
    ROW("REQCODE=", REQCODE, 0, 255, 1, kMaxRequestBytes, "%02X"),
    ROW("REQTIMER=", REQTIMER, 0, 30000, 2, 1, "%d"),
    ROW("REQAFTER=", REQAFTER, 0, 1, 1, 1, "%d"),
    ROW("REQHOTKEY=", REQHOTKEY, 0, 65535, 2, 1, "%04X"),
    ROW("FILTER=", FILTER, 0, kFilterSize, 1, 1, "%s"),
    ROW("DUPTIME=", DUPTIME, 0, 30000, 2, 1, "%d"),
    ROW("TARGET=", TARGET, 0, kTargetSize, 1, 1, "%s"),
    ROW("TARGETMODE=", TARGETMODE, 0, 2, 1, 1, "%d"),
    ROW("TARGETWAIT=", TARGETWAIT, 1, 3600, 2, 1, "%d"),
    {"", 0, 0, 0, 0, 0, "", 0},
};

#undef ROW
#undef ROW32
