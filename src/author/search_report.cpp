#include "author/search_report.hpp"

#include "author/console.hpp"
#include "installer/install_path.hpp"
#include "system/install_log.hpp"
#include "system/text.hpp"

#include <windows.h>

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// A fresh folder below the user's temporary folder, that is the current
// folder for the scope's lifetime and is then removed with its content.
class temporary_current_folder {
 public:
  temporary_current_folder() : previous_(fs::current_path()) {
    std::random_device seed;
    folder_ = fs::temp_directory_path() / ("patch_author-" + std::to_string(seed()));
    fs::create_directories(folder_);
    fs::current_path(folder_);
  }
  ~temporary_current_folder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(folder_, ignored);
  }
  temporary_current_folder(const temporary_current_folder&) = delete;
  temporary_current_folder& operator=(const temporary_current_folder&) = delete;
  const fs::path& path() const { return folder_; }

 private:
  fs::path previous_;
  fs::path folder_;
};

void say_lines(const std::string& text, const std::string& lead) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    say(lead + line);
  }
}

}  // namespace

game_search search_and_report(const patch_config& config, version_check& versions) {
  error_location location;
  search_log unwritten(location);  // the registry's lookup writes nothing
  const std::optional<fs::path> registry = read_registry_install_path(config, unwritten);
  say("  registry value InstallPath: " +
      (registry ? path_to_utf8(*registry) : std::string("no game folder")));
  const temporary_current_folder scratch;
  const game_search search = find_game_folder(config, versions, location, nullptr);
  std::ifstream log(scratch.path() / "install_log.log", std::ios::binary);
  std::ostringstream text;
  text << log.rdbuf();
  say_lines(text.str(), "  install_log.log: ");
  for (const std::wstring& verdict : versions.verdicts()) {
    say_lines(path_to_utf8(fs::path(verdict)), "  ");
  }
  return search;
}
