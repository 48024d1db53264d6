#pragma once

#include "system/shared_file.hpp"

#include <filesystem>
#include <string>
#include <variant>

// Why a launcher's file, or an entry of it, does not give the game's folder.
// A launcher's files belong to every game on the machine: one that cannot be
// read is passed over, never a failure of the run.
struct passed_over {
  std::wstring reason;
};

// The bytes of the launcher's file `file`, opened by `open`
// (open_shared_text_file or open_shared_binary_file), or why it is passed
// over unread: it cannot be read, or it is larger than 1 MiB, which no
// launcher's record of its games comes near. Throws only std::bad_alloc.
std::variant<std::string, passed_over> read_launcher_file(const std::filesystem::path& file,
                                                          unique_file (*open)(const std::filesystem::path&));
