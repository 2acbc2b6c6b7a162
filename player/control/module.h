// The Rewyn module: the control's registered flags and the property page's
// class; the class table itself is in module.cpp.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace rewyn {

// The control's miscellaneous status, as registered and as GetMiscStatus answers.
constexpr DWORD kControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                     OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kControlMiscStatus == 0x20191);

// The property page's class; the control's comes from the type library.
extern const CLSID CLSID_RewynPropPage;

}  // namespace rewyn
