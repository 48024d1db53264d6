#include "stores/launcher_file.hpp"

#include <cstdint>
#include <system_error>

namespace {

constexpr std::uintmax_t largest_file = std::uintmax_t{1} << 20;

}  // namespace

std::variant<std::string, passed_over> read_launcher_file(const std::filesystem::path& file,
                                                          unique_file (*open)(const std::filesystem::path&)) {
  std::error_code error;
  if (const std::uintmax_t size = std::filesystem::file_size(file, error); !error && size > largest_file) {
    return passed_over{L"larger than 1 MiB"};
  }
  const unique_file opened = open(file);
  if (!opened) {
    return passed_over{L"cannot be read"};
  }
  std::string text(largest_file + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), opened.get()));
  if (std::ferror(opened.get())) {
    return passed_over{L"cannot be read"};
  }
  if (text.size() > largest_file) {
    return passed_over{L"larger than 1 MiB"};  // it grew since its size was asked
  }
  return text;
}
