// Resource ids. Each dialog's ids live in its own header, owned with its .rc file.
#pragma once
#include "ids_shell.h"
#include "ids_main_dialog.h"
#include "ids_log_dialog.h"
#include "ids_keypad_dialog.h"
#include "ids_ext_dialog.h"
