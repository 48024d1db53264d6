#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

struct handle_closer {
  void operator()(HANDLE handle) const noexcept {
    if (handle && handle != INVALID_HANDLE_VALUE) {
      ::CloseHandle(handle);
    }
  }
};

// Owns a kernel handle and closes it when it goes out of scope.
using unique_handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, handle_closer>;
