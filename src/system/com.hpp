#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <objbase.h>

#include <memory>
#include <system_error>

// COM as the shell's dialogs need it: the apartment of this thread, owners
// of interfaces and of task memory, and failures as exceptions.

struct com_releaser {
  void operator()(IUnknown* object) const noexcept { object->Release(); }
};

// Owns a COM interface and releases it when it goes out of scope.
template <class interface_type>
using com_ptr = std::unique_ptr<interface_type, com_releaser>;

struct task_memory_freer {
  void operator()(void* memory) const noexcept { ::CoTaskMemFree(memory); }
};

// Throws std::system_error with `operation` when `result` is a failure.
inline void check(HRESULT result, const char* operation) {
  if (FAILED(result)) {
    throw std::system_error(result, std::system_category(), operation);
  }
}

// A single-threaded COM apartment for this thread, for the scope's lifetime.
class com_apartment {
 public:
  com_apartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~com_apartment() {
    if (SUCCEEDED(result_)) {
      ::CoUninitialize();
    }
  }
  com_apartment(const com_apartment&) = delete;
  com_apartment& operator=(const com_apartment&) = delete;

 private:
  HRESULT result_;
};
