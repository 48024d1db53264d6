#pragma once

// Helpers for tests that drive real Windows programs under Wine: registry
// values and a stand-in game process that clean up after themselves, and a
// runner that reads and dismisses a program's message box.

#include "support/files.hpp"
#include "system/handle.hpp"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace test_support {

// The folder that holds the test executables and the installer.
std::filesystem::path binary_folder();

// A registry key below HKCU that is deleted with all its values when the
// object goes out of scope, and when it is made, in case a crashed run left
// it. Some of these keys belong to real programs (Steam's), so making one
// throws std::runtime_error unless the tests run under Wine.
class scoped_registry_key {
 public:
  explicit scoped_registry_key(std::wstring subkey);
  ~scoped_registry_key();
  scoped_registry_key(const scoped_registry_key&) = delete;
  scoped_registry_key& operator=(const scoped_registry_key&) = delete;
  void set_string(const std::wstring& name, const std::wstring& value) const;
  void set_dword(const std::wstring& name, DWORD value) const;

 private:
  std::wstring subkey_;
};

// A running copy of the stand-in game executable under the file name
// `image_name`, in its own temporary folder; ended when the object goes out
// of scope (and by itself after a minute at the latest).
class stand_in_process {
 public:
  explicit stand_in_process(const std::wstring& image_name);
  ~stand_in_process();
  stand_in_process(const stand_in_process&) = delete;
  stand_in_process& operator=(const stand_in_process&) = delete;

 private:
  temp_folder folder_;
  unique_handle process_;
};

// What a run of a GUI program showed and returned.
struct program_run {
  bool box_shown = false;
  std::wstring caption;  // the box's title bar
  std::wstring text;     // the box's message
  DWORD exit_code = 0;
};

// Starts `executable` in `working_folder`, waits for its first message box,
// reads it, presses OK and waits for the program to end. Throws when the
// program does not end within `timeout`.
program_run run_and_dismiss(const std::filesystem::path& executable,
                            const std::filesystem::path& working_folder,
                            std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace test_support
