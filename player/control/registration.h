// What DllRegisterServer writes for a class and DllUnregisterServer removes:
// the class key, its ProgID, and for the control its type library, flags,
// toolbox bitmap and component categories.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace rewyn {

struct ClassEntry {
  const CLSID* clsid;
  const wchar_t* prog_id;
  UINT name_string;  // resource string with the class's name
  bool control;      // an ActiveX control: flags, bitmap, type library, categories
};

bool RegisterClassEntry(const ClassEntry& entry);
bool UnregisterClassEntry(const ClassEntry& entry);

// The two safe categories, registered with their descriptions; false on failure.
bool RegisterSafeCategories();

}  // namespace rewyn
