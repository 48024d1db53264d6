#pragma once

#include "system/handle.hpp"

#include <windows.h>

// Loads the system DLL `name` (e.g. L"bcrypt.dll") by its full path in
// System32, never through a search that could reach the installer's own
// folder: for the DLLs that are no KnownDLL. Empty when it cannot be loaded,
// with GetLastError() saying why. Throws nothing.
unique_hmodule load_system_library(const wchar_t* name) noexcept;

// The function `name` of `module` as a `function_type*`, or null (with
// GetLastError() saying why). Throws nothing.
template <class function_type>
function_type* function_of(HMODULE module, const char* name) noexcept {
  return reinterpret_cast<function_type*>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
