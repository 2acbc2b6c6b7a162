// Resource numbers of Ostra.exe.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_LAUNCHER 102
#define IDC_ABOUT_ICON 1100
#define IDC_ABOUT_LINE1 1101
#define IDC_ABOUT_LINE2 1102
