#include "installer/installed_patch.hpp"

#include "installer/sealed_patch.hpp"
#include "patch/relative_path.hpp"
#include "system/file_operations.hpp"
#include "system/sha256.hpp"
#include "system/staging.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>

#include <future>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

// A record's written files by their names in lower case, as Windows
// compares them.
std::map<std::string, std::string> by_lower_name(const std::map<std::string, std::string>& written) {
  std::map<std::string, std::string> lowered;
  for (const auto& [path, hash] : written) {
    lowered.emplace(ascii_lower(path), hash);
  }
  return lowered;
}

// The SHA-256 of every file of the patch, in the order of `files`.
std::vector<std::string> patch_hashes(const std::vector<fs::path>& files, const sealed_patch* sealed) {
  if (sealed) {
    return sealed->hashes;
  }
  std::vector<std::string> hashes;
  for (std::optional<std::string>& digest : hex_digests_of_files(files)) {
    hashes.push_back(digest.value_or(""));  // gone meanwhile: matches no record
  }
  return hashes;
}

// Each of `hashes` by its destination of `destinations`, in lower case.
std::map<std::string, std::string> by_destination(const std::vector<fs::path>& destinations,
                                                  const std::vector<std::string>& hashes) {
  std::map<std::string, std::string> named;
  for (std::size_t index = 0; index < destinations.size(); ++index) {
    named.emplace(ascii_lower(record_path(destinations[index])), hashes[index]);
  }
  return named;
}

// Another patch's record, its written files by their names in lower case.
struct other_patch {
  const stored_patch* patch;
  std::map<std::string, std::string> written;
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

// Whether the game holds what `own` wrote, file by file, or what a later
// patch wrote over it; notes the first such patch in `patch`.
bool still_written(const std::vector<stored_patch>& patches, const fs::path& game_folder,
                   patch_on_game& patch) {
  const stored_patch& own = *patch.own;
  std::vector<other_patch> others;
  for (const stored_patch& stored : patches) {
    if (stored.record.patch_id != own.record.patch_id) {
      others.push_back({&stored, by_lower_name(stored.record.written)});
    }
  }
  std::vector<fs::path> files;
  for (const auto& [path, hash] : own.record.written) {
    files.push_back(game_folder / from_record_path(path));
  }
  const std::vector<std::optional<std::string>> now = hex_digests_of_files(files);
  std::size_t index = 0;
  for (const auto& [path, hash] : own.record.written) {
    const std::optional<std::string>& current = now[index++];
    if (current == hash) {
      continue;
    }
    const stored_patch* other = later_writer(others, path, current);
    if (!other) {
      return false;  // the game or another program changed it: a repair
    }
    if (!patch.covered) {
      patch.covered.emplace(path, other->record);
    }
  }
  return true;
}

std::vector<std::string> record_paths(const std::vector<fs::path>& relatives) {
  std::vector<std::string> paths;
  for (const fs::path& relative : relatives) {
    paths.push_back(record_path(relative));
  }
  return paths;
}

// The record of a first install with the originals kept.
patch_record new_record(const patch_config& config, const patch_on_game& patch,
                        const staged_replacement& staging, const fs::path& game_folder,
                        const std::vector<std::string>& digests) {
  patch_record record{patch.id, config.patch_name, config.game_name, {}, record_paths(staging.replaced()), {},
                      {}};
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
  unsigned long code = create_folders(pending, made);
  if (code == 0) {
    code = write_record_in(pending, record);
  }
  try {
    if (code) {
      staging.roll_back(describe_windows_error(
          fmt::format("the copy succeeded, but writing its record in {} failed", path_to_utf8(pending)),
          code));
    }
    staging.commit_keeping(pending / originals_folder_name, pending,
                           patch_backup_folder(game_folder, record.patch_id));
  } catch (...) {
    remove_tree(pending);
    throw;
  }
}

// A repair keeps the first install's originals and lists; only what the
// files hold now is new. The refreshed record replaces the old one in one
// rename before the commit: whichever of the two a killed run leaves, the
// next run finds a record that does not match and repairs again.
void commit_repair(staged_replacement& staging, patch_record record, const stored_patch& own,
                   const std::map<std::string, std::string>& written) {
  for (auto& [path, hash] : record.written) {
    if (const auto found = written.find(ascii_lower(path)); found != written.end()) {
      hash = found->second;
    }
  }
  const fs::path fresh = own.folder / (std::wstring(record_file_name) + L".new");
  delete_file(fresh);
  unsigned long code = write_new_file(fresh, record_json(record));
  if (code == 0) {
    code = move_file(fresh, own.folder / record_file_name, true);
  }
  if (code) {
    delete_file(fresh);
    staging.roll_back(describe_windows_error(
        fmt::format("the copy succeeded, but updating its record in {} failed", path_to_utf8(own.folder)),
        code));
  }
  staging.commit();
}

}  // namespace

patch_on_game examine_patch_on_game(const patch_config& config, const fs::path& archives,
                                    const std::vector<fs::path>& files, const sealed_patch* sealed,
                                    const fs::path& game_folder) {
  patch_on_game patch;
  if (!config.keep_originals && examine_path(backup_root(game_folder)).kind != path_kind::folder) {
    return patch;
  }
  patch.examined = true;
  patch.destinations = patch_destinations(files, archives);
  patch.id =
      patch_id(config.game_name, patch.destinations, sealed ? sealed->hashes : std::vector<std::string>{});
  std::vector<stored_patch> patches = stored_patches(game_folder, patch.id);
  for (stored_patch& stored : patches) {
    if (stored.record.patch_id == patch.id) {
      patch.own = stored;
    }
  }
  if (sealed) {
    patch.hashes = sealed->hashes;
  }
  if (!patch.own) {
    return patch;
  }
  if (!sealed) {
    patch.hashes = patch_hashes(files, sealed);
  }
  if (by_lower_name(patch.own->record.written) != by_destination(patch.destinations, patch.hashes)) {
    return patch;  // another version of it
  }
  patch.intact = still_written(patches, game_folder, patch);
  return patch;
}

copy_commit keeping_originals(const patch_config& config, const patch_on_game& patch,
                              const std::vector<fs::path>& files, const fs::path& game_folder) {
  using digests = std::vector<std::optional<std::string>>;
  // What the patch writes is what its files hold: hashed while the shell
  // copies them, on the core it leaves idle, unless already known.
  std::shared_future<digests> hashes;
  if (patch.hashes.empty() && !files.empty()) {
    hashes = std::async(std::launch::async, hex_digests_of_files, files).share();
  } else {
    digests known_hashes;
    for (const std::string& hash : patch.hashes) {
      known_hashes.push_back(hash.empty() ? std::nullopt : std::optional(hash));
    }
    std::promise<digests> known;
    known.set_value(std::move(known_hashes));
    hashes = known.get_future().share();
  }
  return [&config, &patch, game_folder, hashes](staged_replacement& staging, const std::vector<fs::path>&) {
    digests written_hashes;
    try {
      written_hashes = hashes.get();
    } catch (const std::exception& error) {
      staging.roll_back(std::string("the copy succeeded, but reading the patch files failed: ") +
                        error.what());
    }
    std::vector<std::string> written;
    for (const std::optional<std::string>& hash : written_hashes) {
      if (!hash) {
        staging.roll_back("the copy succeeded, but a patch file was gone when it was read");
      }
      written.push_back(*hash);
    }
    if (!patch.own) {
      commit_first_install(staging, new_record(config, patch, staging, game_folder, written), game_folder);
      return;
    }
    patch_record record = patch.own->record;
    record.patch_name = config.patch_name;
    commit_repair(staging, std::move(record), *patch.own, by_destination(patch.destinations, written));
  };
}
