// Hostwell, the dynamic-DNS library: asks the service for a device's address
// and port. A lookup's answer is kept for the thread that asked.
#pragma once

#ifdef HOSTWELL_BUILD
#define HOSTWELL_API __declspec(dllexport)
#else
#define HOSTWELL_API
#endif

extern "C" HOSTWELL_API void DDNSAPI_DebugOnOff(int on);
// Asks `server` (such as "http://127.0.0.1:8053/") for the device `name` of
// `member`, or for the member's device; 0 when the server cannot be reached,
// its URL not be read, or it does not answer with status 200.
HOSTWELL_API int DDNSAPI_ConnectW(const wchar_t* server, const wchar_t* member, const wchar_t* name);
HOSTWELL_API int DDNSAPI_ConnectW(const wchar_t* server, const wchar_t* member);
// The address (terminated, cut to the buffer) and port of the last answer on
// this thread; 1 when it held both, otherwise 0.
extern "C" HOSTWELL_API int DDNSAPI_GetIPAndPort(char* address, int size, int* port);
