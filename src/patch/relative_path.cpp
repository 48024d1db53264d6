#include "patch/relative_path.hpp"

#include <algorithm>

std::optional<std::string> normalized_relative_path(std::string_view path) {
  if (path.find(':') != std::string_view::npos) {
    return std::nullopt;
  }
  std::string normal;
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find_first_of("/\\", start), path.size());
    const std::string_view element = path.substr(start, end - start);
    start = end + 1;
    if (element == ".") {
      continue;
    }
    if (element.empty() || element == "..") {
      return std::nullopt;
    }
    if (!normal.empty()) {
      normal += '/';
    }
    normal += element;
  }
  if (normal.empty()) {
    return std::nullopt;
  }
  return normal;
}
