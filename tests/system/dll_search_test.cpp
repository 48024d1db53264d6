#include "system/dll_search.hpp"
#include "system/handle.hpp"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// Whether planted_probe.dll, which lies beside the test executable only, can
// be loaded by its bare name.
bool planted_dll_loads() { return static_cast<bool>(unique_hmodule(::LoadLibraryW(L"planted_probe.dll"))); }

}  // namespace

TEST(dll_search, a_dll_beside_the_executable_is_no_longer_found) {
  ASSERT_TRUE(planted_dll_loads()) << "the probe must be loadable from the executable's folder at first";
  EXPECT_TRUE(restrict_dll_search_to_system32());
  EXPECT_FALSE(planted_dll_loads());
  // System DLLs still load by name.
  EXPECT_TRUE(unique_hmodule(::LoadLibraryW(L"version.dll")));
}
