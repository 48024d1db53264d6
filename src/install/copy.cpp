#include "install/copy.hpp"

#include "system/file_operations.hpp"
#include "system/shell_copy.hpp"
#include "system/test_hook.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {

// Whether every one of `destinations` holds as many bytes as its patch
// file; else why the first that does not falls short.
[[nodiscard]] result<> check_arrived(const patch_files& patch, const std::vector<fs::path>& destinations) {
  for (std::size_t index = 0; index < destinations.size(); ++index) {
    const result<std::uint64_t> arrived = file_size_of(destinations[index]);
    if (!arrived) {
      return failure(
          fmt::format("copying the patch files ended, but {} is missing", path_to_utf8(destinations[index])));
    }
    if (*arrived != patch.sizes[index]) {
      return failure(fmt::format("copying the patch files ended, but {} holds {} bytes instead of {}",
                                 path_to_utf8(destinations[index]), *arrived, patch.sizes[index]));
    }
  }
  return {};
}

}  // namespace

void copy_patch_files(staged_replacement& staging, const patch_files& patch, const fs::path& game_folder) {
  std::vector<fs::path> destinations;
  for (const fs::path& relative : patch.destinations) {
    destinations.push_back(game_folder / relative);
  }
  if (const result<> copied = shell_copy(patch.files, destinations, "copying the patch files"); !copied) {
    staging.roll_back(copied.error().what);
  }
  pause_for_test(L"copied");
  if (const result<> arrived = check_arrived(patch, destinations); !arrived) {
    staging.roll_back(arrived.error().what);
  }
}
