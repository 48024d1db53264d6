#include "archive_files.hpp"

namespace fs = std::filesystem;

std::vector<fs::path> collect_archive_files(const fs::path& archives_folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(archives_folder)) {
    // is_directory follows links; an entry whose target is missing is a file.
    if (entry.is_directory() || entry.path().filename() == "config.json") {
      continue;
    }
    files.push_back(entry.path());
  }
  return files;
}
