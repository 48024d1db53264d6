#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>

#include <io.h>
#include <cstdint>
#include <cstdio>
#include <type_traits>
#include <utility>

// Every kind of Windows handle, system memory and C runtime object that the
// program holds, each owned by a scope: one line declares its owner. A kind
// whose "none" is another value than null (CreateFileW gives
// INVALID_HANDLE_VALUE) says so, so that `if (!owner)` is always the right
// test. put() empties the owner and gives the address that a Windows
// function fills in, so that no raw handle outlives the line that makes it.
template <class handle_type, auto close, std::intptr_t none_value = 0>
class unique_any {
 public:
  unique_any() noexcept = default;
  explicit unique_any(handle_type handle) noexcept : handle_(handle) {}
  unique_any(unique_any&& other) noexcept : handle_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~unique_any() { reset(); }

  static handle_type none() noexcept {
    if constexpr (std::is_pointer_v<handle_type>) {
      return reinterpret_cast<handle_type>(none_value);
    } else {
      return static_cast<handle_type>(none_value);
    }
  }
  handle_type get() const noexcept { return handle_; }
  handle_type operator->() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != none(); }
  handle_type release() noexcept { return std::exchange(handle_, none()); }
  void reset(handle_type handle = none()) noexcept {
    if (*this) {
      close(handle_);
    }
    handle_ = handle;
  }
  handle_type* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  handle_type handle_ = none();
};

// How each kind is given back. Windows' own functions are wrapped: the
// address of an imported function is no constant a template can hold.
namespace owner_detail {
inline void close_handle(HANDLE handle) noexcept { ::CloseHandle(handle); }
inline void close_search(HANDLE search) noexcept { ::FindClose(search); }
inline void release_mutex(HANDLE mutex) noexcept {
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}
inline void close_key(HKEY key) noexcept { ::RegCloseKey(key); }
inline void free_module(HMODULE module) noexcept { ::FreeLibrary(module); }
inline void free_local(wchar_t* text) noexcept { ::LocalFree(text); }
inline void free_local_array(wchar_t** texts) noexcept { ::LocalFree(texts); }
inline void free_task_memory(wchar_t* text) noexcept { ::CoTaskMemFree(text); }
inline void free_process_heap(wchar_t* text) noexcept { ::HeapFree(::GetProcessHeap(), 0, text); }
inline void close_stream(std::FILE* stream) noexcept { std::fclose(stream); }
inline void close_descriptor(int descriptor) noexcept { ::_close(descriptor); }
template <class interface_type>
void release_interface(interface_type* object) noexcept {
  object->Release();
}
}  // namespace owner_detail

// clang-format off
using unique_handle = unique_any<HANDLE, &owner_detail::close_handle>;       // OpenProcess, CreateMutexW
using unique_hfile = unique_any<HANDLE, &owner_detail::close_handle, -1>;    // CreateFileW
using unique_hfind = unique_any<HANDLE, &owner_detail::close_search, -1>;    // FindFirstFileExW
using unique_mutex_hold = unique_any<HANDLE, &owner_detail::release_mutex>;  // a mutex this thread holds
using unique_hkey = unique_any<HKEY, &owner_detail::close_key>;              // RegOpenKeyExW
using unique_hmodule = unique_any<HMODULE, &owner_detail::free_module>;      // LoadLibraryExW
using unique_hlocal_string = unique_any<wchar_t*, &owner_detail::free_local>;           // FormatMessageW's
using unique_hlocal_strings = unique_any<wchar_t**, &owner_detail::free_local_array>;      // CommandLineToArgvW's
using unique_cotaskmem_string = unique_any<wchar_t*, &owner_detail::free_task_memory>;  // the shell's paths
using unique_process_heap_string = unique_any<wchar_t*, &owner_detail::free_process_heap>;  // Wine's paths
using unique_file = unique_any<std::FILE*, &owner_detail::close_stream>;        // a C runtime stream
using unique_descriptor = unique_any<int, &owner_detail::close_descriptor, -1>;  // a C runtime descriptor
template <class interface_type>
using com_ptr = unique_any<interface_type*, &owner_detail::release_interface<interface_type>>;
// clang-format on
