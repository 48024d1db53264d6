#include "install/tree_moves.hpp"

#include "system/file_operations.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <set>

namespace fs = std::filesystem;

result<> move_files_between(const fs::path& from, const fs::path& to, const std::vector<fs::path>& relatives,
                            bool replace) {
  result<> outcome;
  std::set<fs::path> folders;
  for (const fs::path& relative : relatives) {
    const fs::path target = to / relative;
    result<> moved = create_folders(target.parent_path(), folders);
    if (moved) {
      moved = move_file(from / relative, target, replace);
    }
    if (!moved && outcome) {
      outcome = windows_failure(
          fmt::format("moving {} to {} failed", path_to_utf8(from / relative), path_to_utf8(target)),
          moved.error().code, from / relative);
    }
  }
  return outcome;
}

result<std::vector<fs::path>> files_below(const fs::path& folder) {
  result<folder_tree> tree = list_tree(folder);
  if (!tree) {
    if (is_not_found(tree.error()) && tree.error().object == folder) {
      return std::vector<fs::path>{};
    }
    return tree.error();
  }
  for (fs::path& file : tree->files) {
    file = file.lexically_relative(folder);
  }
  return std::move(tree->files);
}

void remove_empty_folders(std::vector<fs::path> folders) {
  std::sort(folders.begin(), folders.end(),
            [](const fs::path& a, const fs::path& b) { return a.native().size() > b.native().size(); });
  for (const fs::path& folder : folders) {
    (void)remove_folder(folder);  // one that is not empty stays, as it should
  }
}

bool remove_empty_tree(const fs::path& folder) {
  result<folder_tree> tree = list_tree(folder);
  std::vector<fs::path> folders = tree ? std::move(tree->folders) : std::vector<fs::path>{};
  folders.push_back(folder);
  remove_empty_folders(std::move(folders));
  return examine_path(folder).value_or(path_kind::folder) == path_kind::none;
}

std::string files_left_in(const fs::path& folder, std::string_view files) {
  return fmt::format("{} that were not put back are in {}", files, path_to_utf8(folder));
}
