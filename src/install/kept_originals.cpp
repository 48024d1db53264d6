#include "install/kept_originals.hpp"

#include "base/ascii.hpp"
#include "install/tree_moves.hpp"
#include "system/file_operations.hpp"
#include "system/sha256.hpp"
#include "system/test_hook.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

using lowered_hashes = std::map<std::string, std::string>;

// A record's written files by their names in lower case, as Windows
// compares them.
lowered_hashes by_lower_name(const std::map<std::string, std::string>& written) {
  lowered_hashes lowered;
  for (const auto& [path, hash] : written) {
    lowered.emplace(ascii_lower(path), hash);
  }
  return lowered;
}

// Each of `hashes` by its destination of `destinations`, in lower case; a
// file that was gone matches no record.
lowered_hashes by_destination(const std::vector<fs::path>& destinations,
                              const std::vector<std::optional<std::string>>& hashes) {
  lowered_hashes named;
  for (std::size_t index = 0; index < destinations.size(); ++index) {
    named.emplace(ascii_lower(record_path(destinations[index])), hashes[index].value_or(""));
  }
  return named;
}

// Another patch's record, its written files by their names in lower case.
struct other_patch {
  const stored_patch* patch;
  lowered_hashes written;
};

// The patch among `others` that wrote `file` as it is now (`hash`, nothing
// when it is missing).
const stored_patch* later_writer(const std::vector<other_patch>& others, const std::string& file,
                                 const std::optional<std::string>& hash) {
  for (const other_patch& other : others) {
    if (const auto found = other.written.find(ascii_lower(file));
        hash && found != other.written.end() && found->second == *hash) {
      return other.patch;
    }
  }
  return nullptr;
}

// Notes in `on_game` the files that no record explains: the game holds
// neither what `own` wrote there nor what a later patch wrote over it; and
// the first file that a later patch wrote over, with that patch.
void note_changes(const std::vector<stored_patch>& patches, const fs::path& game_folder,
                  patch_on_game& on_game) {
  const patch_record& own = on_game.own->record;
  std::vector<other_patch> others;
  for (const stored_patch& stored : patches) {
    if (stored.record.patch_id != own.patch_id) {
      others.push_back({&stored, by_lower_name(stored.record.written)});
    }
  }
  std::vector<fs::path> files;
  for (const auto& [path, hash] : own.written) {
    files.push_back(game_folder / from_record_path(path));
  }
  const std::vector<std::optional<std::string>> now = or_throw(sha256_of_files(files));
  std::size_t index = 0;
  for (const auto& [path, hash] : own.written) {
    const std::optional<std::string>& current = now[index++];
    if (current == hash) {
      continue;
    }
    if (const stored_patch* other = later_writer(others, path, current)) {
      if (!on_game.covered) {
        on_game.covered.emplace(path, other->record);
      }
    } else {
      on_game.changed_by_game.push_back(path);  // a store's update, the player, another program
    }
  }
}

std::vector<std::string> record_paths(const std::vector<fs::path>& relatives) {
  std::vector<std::string> paths;
  for (const fs::path& relative : relatives) {
    paths.push_back(record_path(relative));
  }
  return paths;
}

// The record of a first install with the originals kept.
patch_record new_record(const patch_config& config, const patch_files& patch, const std::string& id,
                        const staged_replacement& staging, const fs::path& game_folder,
                        const std::vector<std::string>& digests) {
  patch_record record{id, config.patch_name, config.game_name, {}, record_paths(staging.replaced()), {}, {}};
  std::set<std::string> replaced_names;
  for (const std::string& path : record.replaced_files) {
    replaced_names.insert(ascii_lower(path));
  }
  for (std::size_t index = 0; index < patch.destinations.size(); ++index) {
    const std::string path = record_path(patch.destinations[index]);
    record.written[path] = digests[index];
    if (!replaced_names.count(ascii_lower(path))) {
      record.created_files.push_back(path);
    }
  }
  for (const fs::path& folder : staging.created_folders()) {
    record.created_folders.push_back(record_path(folder.lexically_relative(game_folder)));
  }
  return record;
}

void commit_first_install(staged_replacement& staging, const patch_record& record,
                          const fs::path& game_folder) {
  const fs::path pending = patch_backup_folder(game_folder, record.patch_id, L".new");
  std::set<fs::path> made;
  result<> written = create_folders(pending, made);
  pause_for_test(L"recording");
  if (written) {
    written = write_new_file(pending / record_file_name, record_json(record));
  }
  pause_for_test(L"recorded");
  try {
    if (!written) {
      staging.roll_back(describe_windows_error(
          fmt::format("the copy succeeded, but writing its record in {} failed", path_to_utf8(pending)),
          written.error().code));
    }
    staging.commit_keeping(pending / originals_folder_name, pending,
                           patch_backup_folder(game_folder, record.patch_id));
  } catch (...) {
    (void)remove_tree(pending);  // the next run deletes what is left of an uncommitted install
    throw;
  }
}

// Whether this run moved aside a file at `relative`: the game held one there.
bool found_in_game(const staged_replacement& staging, const fs::path& relative) {
  return std::any_of(staging.replaced().begin(), staging.replaced().end(),
                     [&](const fs::path& moved) { return same_file_name(moved, relative); });
}

// What the game holds at a file that no record explains is what it holds
// without this patch (a store's update, as a rule): the record lists the
// file as replaced when the game held one there, else as created.
void list_found_files(const staged_replacement& staging, const patch_on_game& on_game, patch_record& record) {
  for (const std::string& path : on_game.changed_by_game) {
    std::erase(record.created_files, path);
    std::erase(record.replaced_files, path);
    const bool found = found_in_game(staging, from_record_path(path));
    (found ? record.replaced_files : record.created_files).push_back(path);
  }
}

// The files found become their originals, in place of the older ones, once
// the record that lists them so is stored: a run killed before leaves a
// record that does not match the game, and the next run repairs again.
void keep_found_files(const staged_replacement& staging, const patch_on_game& on_game) {
  const fs::path originals = on_game.own->folder / originals_folder_name;
  for (const std::string& path : on_game.changed_by_game) {
    const fs::path relative = from_record_path(path);
    if (found_in_game(staging, relative)) {
      // The older one stays if this fails: a game as it was before the update.
      (void)move_files_between(staging.staged(), originals, {relative}, true);
    } else {
      (void)delete_file(originals / relative);  // one that stays is never put back: the record creates it
    }
  }
}

// A repair keeps the first install's originals and lists but for the files
// that the game changed; what the files hold now is new. The refreshed
// record replaces the old one in one rename before the commit: whichever of
// the two a killed run leaves, the next run finds a record that does not
// match and repairs again.
void commit_repair(staged_replacement& staging, patch_record record, const patch_on_game& on_game,
                   const lowered_hashes& written) {
  for (auto& [path, hash] : record.written) {
    if (const auto found = written.find(ascii_lower(path)); found != written.end()) {
      hash = found->second;
    }
  }
  list_found_files(staging, on_game, record);
  const fs::path& folder = on_game.own->folder;
  if (const result<> replaced = replace_file(folder / record_file_name, record_json(record)); !replaced) {
    staging.roll_back(describe_windows_error(
        fmt::format("the copy succeeded, but updating its record in {} failed", path_to_utf8(folder)),
        replaced.error().code));
  }
  keep_found_files(staging, on_game);
  staging.commit();
}

// The hashes of every patch file written, or the copy undone.
std::vector<std::string> written_hashes(staged_replacement& staging, const patch_hashes& hashes) {
  if (!hashes) {
    staging.roll_back("the copy succeeded, but reading the patch files failed: " + hashes.error().what);
  }
  std::vector<std::string> written;
  for (const std::optional<std::string>& hash : *hashes) {
    if (!hash) {
      staging.roll_back("the copy succeeded, but a patch file was gone when it was read");
    }
    written.push_back(*hash);
  }
  return written;
}

}  // namespace

patch_on_game examine_patch_on_game(const patch_config& config, const patch_files& patch,
                                    const fs::path& game_folder) {
  patch_on_game on_game;
  if (!config.keep_originals &&
      examine_path(backup_root(game_folder)).value_or(path_kind::none) != path_kind::folder) {
    return on_game;
  }
  on_game.id = patch_id(config.game_name, patch.destinations, patch.hashes);
  const std::vector<stored_patch> patches = stored_patches(game_folder, on_game.id);
  for (const stored_patch& stored : patches) {
    if (stored.record.patch_id == on_game.id) {
      on_game.own = stored;
    }
  }
  if (!on_game.own) {
    return on_game;
  }
  on_game.state = patch_state::changed;
  on_game.hashes = patch.hashes.empty()
                       ? or_throw(sha256_of_files(patch.files))
                       : std::vector<std::optional<std::string>>(patch.hashes.begin(), patch.hashes.end());
  note_changes(patches, game_folder, on_game);
  if (by_lower_name(on_game.own->record.written) == by_destination(patch.destinations, on_game.hashes) &&
      on_game.changed_by_game.empty()) {
    on_game.state = patch_state::on;
  }
  return on_game;
}

void commit_keeping_originals(staged_replacement& staging, const patch_config& config,
                              const patch_files& patch, const patch_on_game& on_game,
                              const patch_hashes& hashes, const fs::path& game_folder) {
  const std::vector<std::string> written = written_hashes(staging, hashes);
  if (!on_game.own) {
    commit_first_install(staging, new_record(config, patch, on_game.id, staging, game_folder, written),
                         game_folder);
    return;
  }
  patch_record record = on_game.own->record;
  record.patch_name = config.patch_name;
  commit_repair(staging, std::move(record), on_game,
                by_destination(patch.destinations, {written.begin(), written.end()}));
}

void undo_uncommitted_install(const fs::path& game_folder, const fs::path& pending) {
  const fs::path originals = pending / originals_folder_name;
  const result<std::vector<fs::path>> kept = files_below(originals);
  if (!kept) {
    throw installer_error(failure(fmt::format("{}. {}", kept.error().what,
                                              files_left_in(originals, "The game's original files"))),
                          aftermath::install_left);
  }
  if (const result<> back = move_files_between(originals, game_folder, *kept, true); !back) {
    throw installer_error(
        failure(fmt::format("an earlier run that did not finish left the game's files aside; "
                            "{}. {}",
                            back.error().what, files_left_in(originals))),
        aftermath::install_left);
  }
  try {
    const patch_record record = read_record_in(pending, L".new");
    for (const fs::path& created : from_record_paths(record.created_files, game_folder)) {
      (void)delete_file(created);  // one that stays is the game's now; nothing better to do
    }
    remove_empty_folders(from_record_paths(record.created_folders, game_folder));
  } catch (const record_error&) {
    // No whole record: the run was killed while it wrote one, and the
    // staging folder's list of what it created still stands.
  }
  (void)remove_tree(pending);  // what stays is deleted by the next run
}
