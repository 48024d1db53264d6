#include "support/files.hpp"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace test_support {

temp_folder::temp_folder() {
  // Random names, so that test programs running side by side never meet.
  std::random_device seed;
  std::mt19937_64 random(seed());
  do {
    path_ = fs::temp_directory_path() / ("patch-test-" + std::to_string(random()));
  } while (!fs::create_directories(path_));
}

temp_folder::~temp_folder() {
  std::error_code error;
  if (fs::remove_all(path_, error) != static_cast<std::uintmax_t>(-1)) {
    return;
  }
  // Windows deletes no read-only file: make everything writable first.
  for (fs::recursive_directory_iterator entry(path_, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    fs::permissions(entry->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  fs::remove_all(path_, error);
}

fs::path write_file(const fs::path& file, std::string_view content) {
  fs::create_directories(file.parent_path());
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  stream.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!stream) {
    throw std::runtime_error("cannot write " + file.string());
  }
  return file;
}

std::string read_file(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    throw std::runtime_error("cannot read " + file.string());
  }
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace test_support
