#include "system/mutex.hpp"

#include "system/text.hpp"
#include "system/windows_error.hpp"

result<std::optional<unique_mutex_hold>> try_take_mutex(const std::wstring& name) {
  const auto failed = [&] {
    return last_windows_failure("taking the mutex " + narrow_utf16(name) + " failed");
  };
  unique_handle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!mutex) {
    if (::GetLastError() == ERROR_ACCESS_DENIED) {
      return std::optional<unique_mutex_hold>();
    }
    return failed();
  }
  switch (::WaitForSingleObject(mutex.get(), 0)) {
    case WAIT_OBJECT_0:
    // Its owner ended without giving it up (killed): whatever it guarded is
    // this process's to put right.
    case WAIT_ABANDONED:
      return std::optional(unique_mutex_hold(mutex.release()));
    case WAIT_TIMEOUT:
      return std::optional<unique_mutex_hold>();
    default:
      return failed();
  }
}
