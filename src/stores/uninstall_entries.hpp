#pragma once

#include "base/failure.hpp"
#include "system/install_log.hpp"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Launchers that install each game with its own entry among Windows'
// installed programs (Apps and Features): the entries below
// SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall of HKEY_LOCAL_MACHINE,
// in the 32-bit registry and then the 64-bit one, and of HKEY_CURRENT_USER,
// which Windows keeps one for both.

// The program that a launcher's uninstall entries run: named `file_name`
// (letter case aside), or below a folder named as one of `folders`; null
// for neither.
struct launcher_program {
  const wchar_t* file_name;
  const wchar_t* folders[2];
};

// An uninstall entry whose UninstallString runs a launcher's program.
struct uninstall_entry {
  std::wstring key;                     // the entry's key as the registry editor names it
  std::vector<std::wstring> arguments;  // its UninstallString's words after the program
  // Its InstallLocation when that is a full path to an existing folder, else
  // why not ("its InstallLocation cannot be read (error 2)").
  result<std::filesystem::path> folder;
};

// Gives the folder that an entry gives the caller, or nothing to go on.
using entry_taker = std::function<std::optional<std::filesystem::path>(const uninstall_entry& entry)>;

// Hands `take` each uninstall entry whose UninstallString, split as Windows
// splits a command line, runs `program`, in the order above and Windows'
// order of the keys, until `take` gives a folder, which it returns. Other
// programs' entries, and entries whose UninstallString cannot be read, are
// not looked at. Adds a line per key listed to the log, before its entries:
// "attempt to list uninstall entries in <key> returned status 0x00000000".
// Nothing when `take` gives no folder. Throws only std::bad_alloc and what
// `take` throws.
std::optional<std::filesystem::path> find_in_uninstall_entries(const launcher_program& program,
                                                               const entry_taker& take, search_log& log);
