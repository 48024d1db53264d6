#include "author/search_report.hpp"

#include "author/console.hpp"
#include "installer/install_path.hpp"
#include "system/install_log.hpp"
#include "system/text.hpp"

namespace fs = std::filesystem;

namespace {

void say_lines(const std::wstring& text, const std::string& lead) {
  const std::string lines = narrow_utf16(text);
  for (std::size_t start = 0; start < lines.size();) {
    const std::size_t end = std::min(lines.find('\n', start), lines.size());
    say(lead + lines.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace

game_search search_and_report(const patch_config& config, version_check& versions) {
  error_location location;
  // Kept in memory: the author's machine keeps its install_log.log.
  search_log log(location, {});
  const std::optional<fs::path> registry = read_registry_install_path(config, log);
  say("  registry value InstallPath: " +
      (registry ? path_to_utf8(*registry) : std::string("no game folder")));
  const game_search search = find_game_folder(config, versions, log);
  for (const std::wstring& line : log.lines()) {
    say_lines(line, "  install_log.log: ");
  }
  for (const std::wstring& verdict : versions.verdicts()) {
    say_lines(verdict, "  ");
  }
  return search;
}
