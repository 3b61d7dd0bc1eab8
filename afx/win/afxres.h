// The framework's standard command ids.
#pragma once

#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_CLOSE 0xE102
#define ID_FILE_SAVE 0xE103
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_SELECT_ALL 0xE12A
#define ID_APP_EXIT 0xE141
#define ID_HELP 0xE146
#define ID_FILE_PRINT 0xE107

// The framework's standard strings.
#define AFX_IDS_APP_TITLE 0xE000
