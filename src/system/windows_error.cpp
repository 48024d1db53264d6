#include "system/windows_error.hpp"

#include "system/handle.hpp"
#include "system/system_library.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

namespace {

// Windows' own words for `code`, in the user's language, without the line
// breaks and blanks that end them; empty when it has none.
std::string system_words(unsigned long code) {
  unique_hlocal_string text;
  // FORMAT_MESSAGE_IGNORE_INSERTS: some messages hold %1 for a name that is
  // not given here.
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
  if (length == 0 || !text) {
    return {};
  }
  const std::wstring_view words(text.get(), length);
  return narrow_utf16(words.substr(0, words.find_last_not_of(L"\r\n ") + 1));
}

}  // namespace

std::string describe_windows_error(const std::string& what, unsigned long code) {
  const std::string words = system_words(code);
  return words.empty() ? fmt::format("{} (error {})", what, code)
                       : fmt::format("{} (error {}: {})", what, code, words);
}

failure windows_failure(const std::string& what, unsigned long code, std::filesystem::path object) {
  return failure(describe_windows_error(what, code), std::move(object), code);
}

failure last_windows_failure(const std::string& what, std::filesystem::path object) {
  return windows_failure(what, ::GetLastError(), std::move(object));
}

failure hresult_failure(const std::string& what, HRESULT result, std::filesystem::path object) {
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
    return windows_failure(what, HRESULT_CODE(result), std::move(object));
  }
  const auto code = static_cast<unsigned long>(result);
  const std::string words = system_words(code);
  return failure(words.empty() ? fmt::format("{} (error {:#010x})", what, code)
                               : fmt::format("{} (error {:#010x}: {})", what, code, words),
                 std::move(object), code, code_kind::hresult);
}

failure ntstatus_failure(const std::string& what, LONG status) {
  // ntdll is in every process, so looking the function up loads nothing;
  // it is no import, for ntdll is no KnownDLL.
  using to_code_function = ULONG WINAPI(LONG);
  auto* const to_code =
      function_of<to_code_function>(::GetModuleHandleW(L"ntdll.dll"), "RtlNtStatusToDosError");
  return windows_failure(what, to_code ? to_code(status) : ERROR_MR_MID_NOT_FOUND);
}

void throw_if_failed(HRESULT result, const std::string& what) {
  if (FAILED(result)) {
    throw installer_error(hresult_failure(what, result));
  }
}
