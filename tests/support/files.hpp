#pragma once

// Files for tests, on any platform: a temporary folder that removes itself,
// whole files written and read byte for byte, and the bytes of the files of
// outside programs.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// A fresh, empty folder below the system's temporary folder, removed with
// everything in it when the object goes out of scope.
class temp_folder {
 public:
  temp_folder();
  ~temp_folder();
  temp_folder(const temp_folder&) = delete;
  temp_folder& operator=(const temp_folder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes `content` to `file` byte for byte, creating missing folders; returns
// `file`. Throws std::runtime_error when the file cannot be written.
std::filesystem::path write_file(const std::filesystem::path& file, std::string_view content);

// The bytes of `file`. Throws std::runtime_error when it cannot be read.
std::string read_file(const std::filesystem::path& file);

// The bytes of a drive's .GamingRoot as the Xbox app writes it: "RGBX",
// `count` (little-endian), then each of `paths` as UTF-16LE with its NUL,
// except the last one when `cut` is set.
std::string gaming_root(std::uint32_t count, const std::vector<std::u16string>& paths, bool cut = false);

}  // namespace test_support
