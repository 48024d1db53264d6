#include "installer/sealed_patch.hpp"

#include "installer/patch_files.hpp"
#include "patch/checksums.hpp"
#include "system/file_operations.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"

#include <fmt/format.h>
#include <windows.h>

#include <map>
#include <numeric>
#include <set>

namespace fs = std::filesystem;

namespace {

// Far more than the checksum file of any patch needs (about 100 bytes a file).
constexpr std::size_t largest_checksum_file = 64 << 20;

// A patch file as the player sees it, beside the installer: archives\...
std::string shown(const fs::path& archives, const fs::path& file) {
  return path_to_utf8(fs::path("archives") / file.lexically_relative(archives));
}

// The listing of archives, each entry by its place below it, letter case
// aside as Windows finds files.
struct archives_listing {
  std::map<fs::path, std::uint64_t, file_name_less> files;  // with each one's size
  std::set<fs::path, file_name_less> folders;
  std::set<fs::path, file_name_less> folder_links;
  std::set<fs::path, file_name_less> file_links;
};

archives_listing listing_of(const fs::path& archives) {
  const folder_tree tree = list_archives(archives);
  const auto relatives = [&](const std::vector<fs::path>& paths) {
    std::set<fs::path, file_name_less> below;
    for (const fs::path& path : paths) {
      below.insert(path.lexically_relative(archives));
    }
    return below;
  };
  archives_listing listing{
      {}, relatives(tree.folders), relatives(tree.folder_links), relatives(tree.file_links)};
  for (std::size_t index = 0; index < tree.files.size(); ++index) {
    listing.files.emplace(tree.files[index].lexically_relative(archives), tree.sizes[index]);
  }
  return listing;
}

bool lies_below_a_link(const fs::path& relative, const archives_listing& listing) {
  for (fs::path folder = relative.parent_path(); !folder.empty(); folder = folder.parent_path()) {
    if (listing.folder_links.count(folder)) {
      return true;
    }
  }
  return false;
}

// Refuses a listed file below a link, which may lead anywhere, or in the
// installer's own folders.
void refuse_unsafe_places(const fs::path& archives, const patch_files& listed,
                          const archives_listing& listing) {
  for (const fs::path& relative : listed.destinations) {
    if (lies_below_a_link(relative, listing)) {
      throw installer_error(
          fmt::format("the patch file {} lies below a link, which may lead out of the archives folder {}",
                      path_to_utf8(archives / relative), path_to_utf8(archives)));
    }
    (void)destination_of(archives / relative, archives);  // only for its refusal
  }
}

// The listed files that the listing holds, with their sizes, or the first
// that it does not.
[[nodiscard]] std::variant<patch_files, patch_damage> find_listed_files(const fs::path& archives,
                                                                        const patch_files& listed,
                                                                        const archives_listing& listing) {
  patch_files patch = listed;
  for (const fs::path& relative : listed.destinations) {
    if (const auto file = listing.files.find(relative); file != listing.files.end()) {
      patch.sizes.push_back(file->second);
      continue;
    }
    return patch_damage{listing.folders.count(relative) ? damage::folder : damage::missing,
                        shown(archives, archives / relative)};
  }
  return patch;
}

// The files and hashes that the checksum file lists, or the damage when it
// is missing.
[[nodiscard]] std::variant<patch_files, patch_damage> read_checksum_file(const fs::path& archives,
                                                                         const patch_config& config,
                                                                         const archives_listing& listing,
                                                                         error_location& location) {
  const fs::path list = archives / path_from_utf8(config.checksums);
  result<std::string> text = read_small_file(list, largest_checksum_file);
  if (!text && is_not_found(text.error())) {
    return patch_damage{damage::list_missing, shown(archives, list)};
  }
  const reading_scope reading(location, fs::path("archives") / path_from_utf8(config.checksums));
  patch_files patch;
  for (checksum_line& line : read_checksums(or_throw(std::move(text)), config.checksums)) {
    patch.destinations.push_back(path_from_utf8(line.path));
    patch.files.push_back(archives / patch.destinations.back());
    patch.hashes.push_back(std::move(line.hash));
    if (listing.file_links.count(patch.destinations.back())) {
      throw installer_error(
          fmt::format("the patch file {} is a link to another file", path_to_utf8(patch.files.back())));
    }
  }
  return patch;
}

// The first file whose hash is not its listed one, or the patch.
[[nodiscard]] seal_check compare_hashes(const fs::path& archives, patch_files patch,
                                        const std::vector<std::optional<std::string>>& hashes) {
  for (std::size_t index = 0; index < hashes.size(); ++index) {
    if (hashes[index] != patch.hashes[index]) {
      return patch_damage{hashes[index] ? damage::differs : damage::missing,
                          shown(archives, patch.files[index])};
    }
  }
  return patch;
}

[[nodiscard]] std::variant<patch_files, patch_damage> read_listed(const fs::path& archives,
                                                                  const patch_config& config,
                                                                  error_location& location,
                                                                  const archives_listing& listing) {
  std::variant<patch_files, patch_damage> read = read_checksum_file(archives, config, listing, location);
  if (const auto* patch = std::get_if<patch_files>(&read)) {
    refuse_unsafe_places(archives, *patch, listing);
  }
  return read;
}

}  // namespace

std::string damage_text(const patch_damage& damaged) {
  switch (damaged.how) {
    case damage::missing:
      return damaged.file + " is missing";
    case damage::differs:
      return damaged.file + " is not the file that the patch was made with";
    case damage::list_missing:
      return damaged.file + ", the list of the patch's files, is missing";
    case damage::folder:
      break;
  }
  return damaged.file + " is a folder, not a file";
}

std::variant<patch_files, patch_damage> read_sealed_patch(const fs::path& archives,
                                                          const patch_config& config,
                                                          error_location& location) {
  return read_listed(archives, config, location, listing_of(archives));
}

seal_check check_sealed_patch(const fs::path& archives, const patch_config& config, error_location& location,
                              progress_window& progress) {
  const archives_listing listing = listing_of(archives);
  std::variant<patch_files, patch_damage> read = read_listed(archives, config, location, listing);
  if (auto* damaged = std::get_if<patch_damage>(&read)) {
    return *damaged;
  }
  read = find_listed_files(archives, std::get<patch_files>(read), listing);
  if (auto* damaged = std::get_if<patch_damage>(&read)) {
    return *damaged;
  }
  patch_files& patch = std::get<patch_files>(read);
  const std::uint64_t total = std::accumulate(patch.sizes.begin(), patch.sizes.end(), std::uint64_t{0});
  const result<std::vector<std::optional<std::string>>> hashes =
      sha256_of_files(patch.files, [&](std::uint64_t done, const fs::path& file) {
        return progress.update(done, total, file.lexically_relative(archives).native());
      });
  if (!hashes && hashes.error().code == ERROR_CANCELLED) {
    return check_cancelled{};
  }
  return compare_hashes(archives, std::move(patch), or_throw(hashes));
}
