#include "installer/archive_files.hpp"

#include "system/links.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

#include <stdexcept>

namespace fs = std::filesystem;

std::vector<fs::path> collect_archive_files(const fs::path& archives_folder) {
  std::vector<fs::path> files;
  for (auto entry = fs::recursive_directory_iterator(archives_folder);
       entry != fs::recursive_directory_iterator(); ++entry) {
    // is_directory follows links; an entry whose target is missing is a file.
    if (entry->is_directory()) {
      // This platform's walk cannot tell a link from a folder and would enter
      // it, copying files from outside the patch or walking in a circle.
      if (is_link_to_folder(entry->path())) {
        entry.disable_recursion_pending();
      }
      continue;
    }
    if (entry->path().filename() == "config.json") {
      continue;
    }
    files.push_back(entry->path());
  }
  // Nor does it see links to files.
  refuse_links_to_files(files);
  return files;
}

void refuse_links_to_files(const std::vector<fs::path>& files) {
  for (const fs::path& file : files) {
    if (is_link_to_file(file)) {
      throw std::runtime_error(
          fmt::format("the patch file {} is a link to another file", path_to_utf8(file)));
    }
  }
}

patch_config read_archives_config(const fs::path& archives, error_location& location) {
  const reading_scope reading(location, fs::path("archives") / "config.json");
  return load_patch_config(archives / "config.json");
}
