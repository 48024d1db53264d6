#include "system/test_hook.hpp"

#include "system/handle.hpp"

#include <string>

void pause_for_test(std::wstring_view step) noexcept {
  try {
    const std::wstring name = L"Local\\patch-installer-test-" + std::wstring(step);
    const unique_handle reached(::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    if (!reached) {
      return;
    }
    const unique_handle go(::OpenEventW(SYNCHRONIZE, FALSE, (name + L"-go").c_str()));
    ::SetEvent(reached.get());
    if (go) {
      ::WaitForSingleObject(go.get(), INFINITE);
    }
  } catch (...) {
    // Out of memory for a name: no test waits for this run.
  }
}
