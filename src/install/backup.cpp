#include "install/backup.hpp"

#include "base/ascii.hpp"
#include "system/file_operations.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// Far more than the record of any patch needs (about 150 bytes a file).
constexpr std::size_t largest_record = 64 << 20;

bool is_patch_id(std::string_view name) { return name.size() == 16 && is_lower_hex(name); }

}  // namespace

fs::path backup_root(const fs::path& game_folder) { return game_folder / backup_folder_name; }

fs::path patch_backup_folder(const fs::path& game_folder, std::string_view id, std::wstring_view suffix) {
  return backup_root(game_folder) / (widen_utf8(std::string(id)) + std::wstring(suffix));
}

std::string patch_id(std::string_view game_name, const std::vector<fs::path>& destinations,
                     const std::vector<std::string>& hashes) {
  std::vector<std::string> lines;
  for (std::size_t index = 0; index < destinations.size(); ++index) {
    lines.push_back(ascii_lower(record_path(destinations[index])) +
                    (hashes.empty() ? std::string() : "  " + hashes[index]));
  }
  // The same patch whatever order the file system lists its files in.
  std::sort(lines.begin(), lines.end());
  std::string identity = std::string(game_name) + '\n';
  for (const std::string& line : lines) {
    identity += line + '\n';
  }
  return to_hex(sha256().of(identity)).substr(0, 16);
}

std::string record_path(const fs::path& relative) { return path_to_utf8(relative.generic_wstring()); }

fs::path from_record_path(const std::string& path) { return path_from_utf8(path).make_preferred(); }

std::vector<fs::path> from_record_paths(const std::vector<std::string>& paths, const fs::path& below) {
  std::vector<fs::path> relatives;
  for (const std::string& path : paths) {
    relatives.push_back(below / from_record_path(path));
  }
  return relatives;
}

patch_record read_record_in(const fs::path& folder, std::wstring_view suffix) {
  const fs::path file = folder / record_file_name;
  try {
    patch_record record = read_patch_record(or_throw(read_small_file(file, largest_record)));
    if (widen_utf8(record.patch_id) + std::wstring(suffix) != folder.filename().native()) {
      throw record_error("the record is of another patch");
    }
    return record;
  } catch (const std::runtime_error& error) {
    throw record_error(fmt::format("{}: {}", path_to_utf8(file), error.what()));
  }
}

std::vector<fs::path> backup_folders(const fs::path& game_folder) {
  const fs::path root = backup_root(game_folder);
  result<folder_tree> listed = list_tree(root, depth::folder_only);
  if (!listed && is_not_found(listed.error())) {
    return {};
  }
  return or_throw(std::move(listed)).folders;
}

std::vector<stored_patch> stored_patches(const fs::path& game_folder, std::string_view own_id) {
  std::vector<stored_patch> patches;
  for (const fs::path& folder : backup_folders(game_folder)) {
    const std::string name = path_to_utf8(folder.filename());
    if (!is_patch_id(name)) {
      continue;  // not committed
    }
    try {
      patches.push_back({read_record_in(folder), folder});
    } catch (const record_error&) {
      if (name == own_id) {
        throw;
      }
    }
  }
  return patches;
}
