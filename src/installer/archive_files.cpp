#include "archive_files.hpp"

#include "folder_links.hpp"

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
    if (entry->path().filename() != "config.json") {
      files.push_back(entry->path());
    }
  }
  return files;
}
