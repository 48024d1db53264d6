#include "patch/checksums.hpp"

#include "patch/relative_path.hpp"

#include <algorithm>
#include <map>
#include <optional>

namespace {

constexpr std::size_t hex_digits = 64;

// sha256sum escapes a name that holds a backslash or a line break, and says
// so by a '\' before the line: "\\" stands for '\' and "\n" for a line break.
std::string unescaped(std::string_view name, std::size_t line) {
  std::string text;
  for (std::size_t at = 0; at < name.size(); ++at) {
    if (name[at] != '\\') {
      text += name[at];
      continue;
    }
    if (at + 1 < name.size() && name[at + 1] == '\\') {
      text += '\\';
      ++at;
      continue;
    }
    throw checksum_format_error(line, "a file name with a line break or an unknown escape");
  }
  return text;
}

// The path's elements joined by '/', checked to name a file of the patch.
std::string patch_path(std::string_view name, std::size_t line) {
  const std::optional<std::string> path = normalized_relative_path(name);
  if (!path) {
    throw checksum_format_error(line,
                                "the path " + std::string(name) + " is not a file below the archives folder");
  }
  const std::size_t last = path->rfind('/');
  if (path->substr(last == std::string::npos ? 0 : last + 1) == "config.json") {
    throw checksum_format_error(line, "config.json is never copied, so it cannot be listed");
  }
  return *path;
}

checksum_line parse_line(std::string_view text, std::size_t line) {
  const bool escaped = !text.empty() && text.front() == '\\';
  if (escaped) {
    text.remove_prefix(1);
  }
  const bool separated = text.size() > hex_digits + 2 && text[hex_digits] == ' ' &&
                         (text[hex_digits + 1] == ' ' || text[hex_digits + 1] == '*');
  const std::optional<std::string> hash =
      normalized_sha256(text.substr(0, std::min(text.size(), hex_digits)));
  if (!separated || !hash) {
    throw checksum_format_error(
        line, "expected 64 hexadecimal digits, two spaces (or a space and '*') and the file's path");
  }
  const std::string_view name = text.substr(hex_digits + 2);
  const std::string path = escaped ? unescaped(name, line) : std::string(name);
  return {patch_path(path, line), *hash, line};
}

}  // namespace

std::optional<std::string> normalized_sha256(std::string_view text) {
  std::string lower = ascii_lower(text);
  return lower.size() == hex_digits && is_lower_hex(lower) ? std::optional(std::move(lower)) : std::nullopt;
}

std::vector<checksum_line> read_checksums(std::string_view text, std::string_view own_path) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
  }
  const std::string own = ascii_lower(own_path);
  std::vector<checksum_line> lines;
  std::map<std::string, std::size_t> seen;  // letter case aside, as Windows names files
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (line.empty()) {
      continue;
    }
    checksum_line entry = parse_line(line, number);
    const std::string key = ascii_lower(entry.path);
    if (key == own) {
      throw checksum_format_error(number, "the checksum file cannot list itself");
    }
    if (const auto [earlier, added] = seen.emplace(key, number); !added) {
      throw checksum_format_error(
          number, entry.path + " is listed twice (also on line " + std::to_string(earlier->second) + ")");
    }
    lines.push_back(std::move(entry));
  }
  return lines;
}
