// Corvane, the connection library: calls and the notifications it sends to
// the window given to NSMGAPI_Create. Notifications reach that window on the
// thread that called NSMGAPI_Create, never on another.
#pragma once
#include <windows.h>

#include "corvane_header.h"

// wParam nonzero when connected, zero when the connection failed.
constexpr UINT UM_CONNECT_RESULT = WM_USER + 421;     // 1445
// The recorder closed the connection or sent what cannot be read.
constexpr UINT UM_CONNECTION_CLOSED = WM_USER + 422;  // 1446
// A packet: wParam points to its 16-byte header, lParam to its payload; both
// live until the sent message returns.
constexpr UINT UM_PACKET = WM_USER + 401;             // 1425
constexpr UINT UM_PACKET_OTHER = WM_USER + 621;       // 1645, handled like UM_PACKET

struct CorvaneConnection;
using NSMG_HANDLE = CorvaneConnection*;

#ifdef CORVANE_BUILD
#define CORVANE_API __declspec(dllexport)
#else
#define CORVANE_API
#endif

extern "C" {
CORVANE_API int NSMGAPI_Initialize();
// A connection object that notifies `window`; null when none can be made.
CORVANE_API NSMG_HANDLE NSMGAPI_Create(HWND window);
// Starts connecting; 0 when no attempt was started. The outcome comes as UM_CONNECT_RESULT.
CORVANE_API int NSMGAPI_Connect(NSMG_HANDLE connection, const ConnectSocketInfo* info);
// The opening packet (command 84, no payload).
CORVANE_API int NSMGAPI_SendInitPacketData(NSMG_HANDLE connection);
CORVANE_API int NSMGAPI_SendPacketData(NSMG_HANDLE connection, unsigned short command, const void* payload,
                                       unsigned int length);
// Closes the connection at once, without waiting and without a UM_CONNECTION_CLOSED.
CORVANE_API void NSMGAPI_Disconnect(NSMG_HANDLE connection);
CORVANE_API void NSMGAPI_Uninitialize();
}
