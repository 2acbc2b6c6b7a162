// The version texts a program shows, read from a module's version resource.
#pragma once
#include <windows.h>

#include <string>

namespace win32 {

// The module that holds `address`: pass a function of the calling module.
HMODULE ModuleOf(const void* address);
// "Ver a. b. c. d" from the fixed file version, or "Ver Unknown ".
std::wstring VersionNumbersText(HMODULE module);
// "Ver " and the resource's FileVersion string in its first language, or
// empty when there is none. A null module is the program's own file.
std::wstring VersionStringText(HMODULE module);

}  // namespace win32
