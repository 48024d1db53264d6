#include "xbox/gaming_root.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

constexpr std::string_view magic = "RGBX";

// The 32-bit little-endian number at `at`, when four bytes are there.
std::optional<std::uint32_t> number_at(std::string_view bytes, std::size_t at) {
  if (bytes.size() < at + 4) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (std::size_t index = 4; index-- > 0;) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + index]);
  }
  return value;
}

}  // namespace

std::vector<std::u16string> read_gaming_root(std::string_view bytes) {
  std::vector<std::u16string> paths;
  const std::optional<std::uint32_t> count = number_at(bytes, magic.size());
  if (!bytes.starts_with(magic) || !count) {
    return paths;
  }
  std::size_t at = magic.size() + 4;
  // The count is only believed as far as the bytes go: no room is taken for
  // it up front.
  for (std::uint32_t index = 0; index < *count; ++index) {
    std::u16string path;
    bool ended = false;
    for (; at + 2 <= bytes.size(); at += 2) {
      const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                              static_cast<unsigned char>(bytes[at + 1]) << 8);
      if (unit == u'\0') {
        ended = true;
        at += 2;
        break;
      }
      path.push_back(unit);
    }
    if (!ended) {
      break;
    }
    if (!path.empty()) {
      paths.push_back(std::move(path));
    }
  }
  return paths;
}
