// The program's one log writer, used by the reader thread: it reads the process-wide
// `Settings`, the C runtime's local time, and reports through the shell's ShowNotice.
#pragma once
#include "datalog/log_writer.h"

LogWriter& ProcessLogWriter();
