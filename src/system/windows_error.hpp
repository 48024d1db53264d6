#pragma once

#include "base/failure.hpp"

#include <windows.h>

#include <filesystem>
#include <string>

// Failures of Windows calls, in the one form every module reports them:
// what failed, and Windows' own words for its code, in the user's language:
// "<what> (error <code>: <words>)", or "(error <code>)" alone when Windows
// has no words for it. A code is always a Windows code (never a C library
// errno): an NTSTATUS is turned into the code it stands for, an HRESULT of
// the Win32 facility into its code. Each throws only std::bad_alloc.

// `what` with Windows' words for `code`.
std::string describe_windows_error(const std::string& what, unsigned long code);

// The failure `code` (GetLastError(), an LSTATUS) of the call that `what`
// names, on `object`.
[[nodiscard]] failure windows_failure(const std::string& what, unsigned long code,
                                      std::filesystem::path object = {});

// The failure of the call that `what` names, with the calling thread's last
// error (GetLastError()).
[[nodiscard]] failure last_windows_failure(const std::string& what, std::filesystem::path object = {});

// The failure `result` of the COM call that `what` names: as
// windows_failure for the Win32 facility; else "<what> (error 0x8...:
// <words>)", of code_kind::hresult.
[[nodiscard]] failure hresult_failure(const std::string& what, HRESULT result,
                                      std::filesystem::path object = {});

// The failure `status` of a call that returns an NTSTATUS (BCrypt's), as
// the Windows code that it stands for.
[[nodiscard]] failure ntstatus_failure(const std::string& what, LONG status);

// Throws installer_error with hresult_failure when `result` is a failure.
void throw_if_failed(HRESULT result, const std::string& what);
