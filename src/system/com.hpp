#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <objbase.h>

// A single-threaded COM apartment for this thread, for the scope's
// lifetime, as the shell's dialogs need it.
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
