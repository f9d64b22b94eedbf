// Resource ids of the shell: tray menu, splash and About dialogs, logo and About text.
#pragma once

#define IDM_SHOW 150
#define IDM_EXIT 151
#define IDM_ABOUT 152
#define IDM_REQUEST 153

#define IDB_LOGO 107
#define IDC_LOGO 1057
#define IDC_VERSION_LABEL 1058
#define IDC_LINK_LABEL 1056
#define IDC_ABOUT_TEXT 400
#define IDS_ABOUT_TEXT 10000
