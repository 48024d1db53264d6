#pragma once

#include "patch/patch_config.hpp"
#include "system/error_location.hpp"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

class player_messages;

// How a file of a sealed patch is damaged.
enum class damage { missing, differs, list_missing, folder };

// A patch sealed by the checksum file that config.json's `checksums` names:
// the patch is exactly the files it lists.
struct sealed_patch {
  std::vector<std::filesystem::path> files;  // below archives, in the checksum file's order
  std::vector<std::string> hashes;           // each file's SHA-256 in lower-case hexadecimal
};

// A file of a sealed patch is missing or is not the one the patch was made
// with: the download was cut short or an antivirus took the file. what()
// names the file and says which, in English.
struct patch_damaged_error : std::runtime_error {
  patch_damaged_error(damage how, std::string file);
  damage how;
  std::string file;  // as the player sees it: archives\...
};

// Reads the checksum file of a sealed patch in `archives`. Throws
// patch_damaged_error when it is missing, checksum_format_error for a line
// that is not in sha256sum's format (with the checksum file recorded in
// `location`), std::runtime_error when a listed file is a link, and
// windows_error when the file cannot be read.
sealed_patch read_sealed_patch(const std::filesystem::path& archives, const patch_config& config,
                               error_location& location);

// Checks every file of `patch` against its hash, reading each once, and
// shows the shell's progress window while that takes longer than a second.
// False when the player pressed its Cancel. Throws patch_damaged_error for
// the first file that is missing or differs, windows_error when one cannot
// be read, std::system_error when the window cannot be shown.
bool check_sealed_patch(const std::filesystem::path& archives, const sealed_patch& patch,
                        const player_messages& messages);
