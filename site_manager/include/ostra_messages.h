// Ostra's private window messages. Its own are numbered from one base in the
// program's range (WM_APP and up), clear of the numbers that the outside
// libraries send: Corvane's notifications (corvane.h, below WM_APP) and the
// hosted controls' request to close their host, whose number they fix.
#pragma once
#include <windows.h>

constexpr UINT kOstraMessageBase = WM_APP + 0x100;

// To the launcher: wParam holds the FunctionButton bits that are usable now;
// the others are locked.
constexpr UINT UM_SETFUNCTIONS = kOstraMessageBase + 0;
// Posted by a closing host window to its owner, the launcher.
constexpr UINT UM_SHOWLAUNCHER = kOstraMessageBase + 1;
// Posted by a skinned button to its notification window; wParam is the
// button's control identifier.
constexpr UINT UM_BUTTONHOVER = kOstraMessageBase + 2;
constexpr UINT UM_BUTTONLEAVE = kOstraMessageBase + 3;
// From a dynamic-DNS lookup's thread to the site edit dialog; wParam is the
// lookup's number.
constexpr UINT UM_LOOKUP_DONE = kOstraMessageBase + 4;

// Sent to a host window to close it; a hosted control sends it to its parent,
// with the number the remote-function controls use (remote_controls.h).
constexpr UINT UM_CLOSEHOST = 0x4C9;
