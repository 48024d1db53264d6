#include "author/console.hpp"

#include "system/file_operations.hpp"
#include "system/text.hpp"

#include <cstdio>
#include <exception>

void say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

bool step(const std::string& what, const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const std::exception& error) {
    say(what + " failed: " + error.what());
  }
  return false;
}

std::string read_config_bytes(const std::filesystem::path& archives) {
  return or_throw(read_small_file(archives / "config.json", 1 << 20));
}

std::string shown(const std::filesystem::path& path, const std::filesystem::path& folder) {
  const std::filesystem::path relative = path.lexically_relative(folder);
  return path_to_utf8(relative.empty() || *relative.begin() == ".." ? path : relative);
}
