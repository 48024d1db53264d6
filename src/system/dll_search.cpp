#include "system/dll_search.hpp"

#include <windows.h>

bool restrict_dll_search_to_system32() noexcept {
  // Looked up at run time: an import of a function that a Windows 7 without
  // the loader update lacks would keep the installer from starting at all.
  // kernel32 is loaded in every process, so looking it up loads nothing.
  using set_default_dll_directories = BOOL(WINAPI*)(DWORD);
  const auto set_directories = reinterpret_cast<set_default_dll_directories>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set_directories && set_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return true;
  }
  ::SetDllDirectoryW(L"");
  return false;
}
