#include "installer/game_search.hpp"

#include "installer/folder_picker.hpp"
#include "installer/install_path.hpp"
#include "steam/steam_install.hpp"
#include "stores/epic_install.hpp"
#include "stores/gog_install.hpp"

#include <functional>

namespace fs = std::filesystem;

game_search find_game_folder(const patch_config& config, version_check& versions, error_location& location,
                             const player_messages* asking) {
  const std::function<std::optional<fs::path>()> sources[] = {
      [&] { return read_registry_install_path(config); },
      [&] { return locate_steam_install(config, location); },
      [&] { return locate_gog_install(config); },
      [&] { return locate_epic_install(config); },
  };
  game_search search;
  for (const auto& source : sources) {
    const std::optional<fs::path> folder = source();
    if (!folder) {
      continue;
    }
    if (auto wrong = versions.mismatch(*folder)) {
      search.wrong = search.wrong ? search.wrong : std::move(wrong);
      continue;
    }
    search.folder = folder;
    // The registry's folder alone leaves no log, as when versions are not
    // checked.
    if (&source != &sources[0]) {
      versions.write_log();
    }
    return search;
  }
  if (config.ask_for_folder && asking) {
    search.folder = ask_for_game_folder(config, versions, *asking);
    search.cancelled = !search.folder;
  }
  versions.write_log();
  return search;
}
