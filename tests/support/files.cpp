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

std::string gaming_root(std::uint32_t count, const std::vector<std::u16string>& paths, bool cut) {
  std::string bytes = "RGBX";
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<char>(count >> shift & 0xFF));
  }
  for (std::size_t index = 0; index < paths.size(); ++index) {
    const bool ended = !cut || index + 1 < paths.size();
    for (const char16_t unit : paths[index] + (ended ? std::u16string(1, u'\0') : std::u16string())) {
      bytes.push_back(static_cast<char>(unit & 0xFF));
      bytes.push_back(static_cast<char>(unit >> 8));
    }
  }
  return bytes;
}

}  // namespace test_support
