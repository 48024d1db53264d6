#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

// Kernel handles come in two kinds whose "none" differs: OpenProcess,
// CreateMutexW and CreateProcessW give null on failure, CreateFileW gives
// INVALID_HANDLE_VALUE. Each kind has its own owner, so that `if (!handle)`
// is always the right test.

struct handle_closer {
  void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};

// Owns a kernel handle whose "none" is null, and closes it when it goes out
// of scope.
using unique_handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, handle_closer>;

struct find_closer {
  void operator()(HANDLE search) const noexcept { ::FindClose(search); }
};

// Owns a search of FindFirstFileW or FindFirstFileExW, whose "none" is
// INVALID_HANDLE_VALUE: test it before making the owner.
using unique_find = std::unique_ptr<std::remove_pointer_t<HANDLE>, find_closer>;

// Owns a file handle, whose "none" is INVALID_HANDLE_VALUE, and closes it
// when it goes out of scope.
class unique_hfile {
 public:
  unique_hfile() noexcept = default;
  explicit unique_hfile(HANDLE handle) noexcept : handle_(handle) {}
  unique_hfile(unique_hfile&& other) noexcept : handle_(other.release()) {}
  unique_hfile& operator=(unique_hfile&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~unique_hfile() { reset(); }

  HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE release() noexcept { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
  void reset(HANDLE handle = INVALID_HANDLE_VALUE) noexcept {
    if (*this) {
      ::CloseHandle(handle_);
    }
    handle_ = handle;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};
