// Resource ids of the debugger program.
#pragma once

#define IDD_VKDEBUGER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDR_MAINMENU 128
#define IDC_EDIT_DETAIL 1001
#define IDC_TRACE_GRID 4048
