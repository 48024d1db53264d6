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
#include <vector>

namespace test_support {

// The folder that holds the test executables and the installer.
std::filesystem::path binary_folder();

// A registry key that is deleted with all its values and subkeys when the
// object goes out of scope, and when it is made, in case a crashed run left
// it. Below HKLM\SOFTWARE `view` picks the 32- or 64-bit registry
// (KEY_WOW64_32KEY, KEY_WOW64_64KEY). Some of these keys belong to real
// programs (Steam's, GOG's), so making one throws std::runtime_error unless
// the tests run under Wine.
class scoped_registry_key {
 public:
  explicit scoped_registry_key(std::wstring subkey, HKEY root = HKEY_CURRENT_USER, REGSAM view = 0);
  ~scoped_registry_key();
  scoped_registry_key(const scoped_registry_key&) = delete;
  scoped_registry_key& operator=(const scoped_registry_key&) = delete;
  // Sets the value `name` of the key, or of its subkey `below` (created if
  // missing).
  void set_string(const std::wstring& name, const std::wstring& value, const std::wstring& below = {}) const;
  void set_dword(const std::wstring& name, DWORD value) const;

 private:
  void remove() const;
  std::wstring subkey_;
  HKEY root_;
  REGSAM view_;
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

// A message box as the player sees it.
struct message_box {
  HWND window = nullptr;
  std::wstring caption;  // the box's title bar
  std::wstring text;     // the box's message
};

// A GUI program started as a player starts it, in `working_folder`, whose
// windows the test then drives. Ended, if it still runs, when the object
// goes out of scope. Every wait throws std::runtime_error after `timeout`.
class gui_program {
 public:
  gui_program(const std::filesystem::path& executable, const std::filesystem::path& working_folder);
  ~gui_program();
  gui_program(const gui_program&) = delete;
  gui_program& operator=(const gui_program&) = delete;

  // The program's first message box, or nothing when it ends without one.
  std::optional<message_box> wait_for_message_box(
      std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // The program's visible top-level window titled `title`, or null when the
  // program ends without one.
  HWND wait_for_window(const std::wstring& title,
                       std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // The exit code, once the program has ended.
  DWORD wait_for_exit(std::chrono::milliseconds timeout = std::chrono::seconds(60));

 private:
  unique_handle process_;
  DWORD id_ = 0;
};

// Stops every run of the installer at the named step of changing the game
// folder (its test hook: "staged", "moving-aside", "moved-aside", "copied",
// "hashed", "recording", "recorded", "committing"), for the object's
// lifetime. A run that reaches the step waits there until go(), or until
// the test ends it, as a crash would.
class paused_step {
 public:
  explicit paused_step(const std::wstring& step);
  // Whether a run stands at the step, waiting up to `timeout` for one.
  bool reached(std::chrono::milliseconds timeout = std::chrono::seconds(60)) const;
  // Lets the run on.
  void go() const;

 private:
  unique_handle reached_;
  unique_handle go_;
};

// Presses the button `command` (IDOK, IDCANCEL, IDRETRY...) of a dialog.
void press(HWND dialog, int command);

// Types `folder` into the folder picker's name field and presses its OK
// button.
void choose_folder(HWND picker, const std::filesystem::path& folder);

// The text of `window`, or of its control `control` when given.
std::wstring text_of(HWND window, int control = 0);

// Sets or clears the read-only attribute of `path`, as a disc or an
// archiver leaves it. Throws std::system_error when Windows refuses.
void set_read_only(const std::filesystem::path& path, bool read_only = true);

// Makes `link` a Unix symbolic link to `target` (a Unix path, relative to the
// link's folder), as only a Unix program can make one under Wine: the way to
// make an entry that Windows cannot examine (a link to itself). Throws
// std::runtime_error when that fails or the tests do not run under Wine.
void make_unix_link(const std::filesystem::path& link, const std::string& target);

// Removes `folder` with everything below it, Unix links among them (which
// Windows' calls under Wine do not remove), as only a Unix program can.
// Throws std::runtime_error when that fails or the tests do not run under
// Wine.
void remove_unix_tree(const std::filesystem::path& folder);

// The Unix path of `path`, as Wine maps it. Throws std::runtime_error when
// there is none or the tests do not run under Wine.
std::string unix_path_of(const std::filesystem::path& path);

// The environment variable `name` set to `value` in this process, and so in
// every program it starts, for the object's lifetime; what it was before
// comes back after. Throws std::system_error when Windows refuses.
class scoped_environment_variable {
 public:
  scoped_environment_variable(std::wstring name, const std::wstring& value);
  ~scoped_environment_variable();
  scoped_environment_variable(const scoped_environment_variable&) = delete;
  scoped_environment_variable& operator=(const scoped_environment_variable&) = delete;

 private:
  std::wstring name_;
  std::optional<std::wstring> previous_;
};

// The drive letter `letter` mapped to `folder` as a fixed drive, through
// Wine's mount manager as winecfg maps one, for the object's lifetime.
// Throws std::runtime_error or std::system_error when that fails or the
// tests do not run under Wine.
class scoped_wine_drive {
 public:
  scoped_wine_drive(wchar_t letter, const std::filesystem::path& folder);
  ~scoped_wine_drive();
  scoped_wine_drive(const scoped_wine_drive&) = delete;
  scoped_wine_drive& operator=(const scoped_wine_drive&) = delete;

 private:
  wchar_t letter_;
};

// What a run of a GUI program showed and returned.
struct program_run {
  bool box_shown = false;
  std::wstring caption;  // the box's title bar
  std::wstring text;     // the box's message
  DWORD exit_code = 0;
};

// What a console program printed on standard output and returned.
struct console_run {
  std::string output;  // its bytes, as printed
  DWORD exit_code = 0;
};

// Runs the console program `executable` with `arguments` (each quoted) in
// `working_folder` and collects what it prints until it ends. Throws when it
// cannot be started or does not end within `timeout`.
console_run run_console(const std::filesystem::path& executable, const std::vector<std::wstring>& arguments,
                        const std::filesystem::path& working_folder,
                        std::chrono::milliseconds timeout = std::chrono::seconds(120));

// Starts `executable` in `working_folder`, waits for its first message box,
// reads it, presses OK and waits for the program to end. Throws when the
// program does not end within `timeout`.
program_run run_and_dismiss(const std::filesystem::path& executable,
                            const std::filesystem::path& working_folder,
                            std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace test_support
