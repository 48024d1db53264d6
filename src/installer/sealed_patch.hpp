#pragma once

#include "install/copy.hpp"
#include "installer/progress_window.hpp"
#include "patch/patch_config.hpp"
#include "system/error_location.hpp"

#include <filesystem>
#include <string>
#include <variant>

// How a file of a sealed patch is damaged.
enum class damage { missing, differs, list_missing, folder };

// A file of a sealed patch that is missing or is not the one the patch was
// made with: the download was cut short or an antivirus took the file.
struct patch_damage {
  damage how;
  std::string file;  // as the player sees it: archives\...
};

// The player cancelled the check of a sealed patch.
struct check_cancelled {};

// What checking a sealed patch found: its files, all whole, or why not.
using seal_check = std::variant<patch_files, patch_damage, check_cancelled>;

// As the player's box says it, in English: "archives\a.dat is missing".
// Throws only std::bad_alloc.
std::string damage_text(const patch_damage& damaged);

// The files that the checksum file of the patch in `archives` lists, with
// their hashes, in its order; or the damage when the list is missing. Throws
// as check_sealed_patch does, but checks no file.
[[nodiscard]] std::variant<patch_files, patch_damage> read_sealed_patch(const std::filesystem::path& archives,
                                                                        const patch_config& config,
                                                                        error_location& location);

// Checks the patch in `archives` that config.json seals with its checksum
// file: finds each listed file in one listing of archives, and hashes each
// once against its hash, telling `progress` meanwhile (the window opens when
// that takes longer than a second). Throws checksum_format_error for a line
// that is not in sha256sum's format (with the checksum file recorded in
// `location`), installer_error when a listed file is a link or lies below
// one, or a file cannot be read.
[[nodiscard]] seal_check check_sealed_patch(const std::filesystem::path& archives, const patch_config& config,
                                            error_location& location, progress_window& progress);
