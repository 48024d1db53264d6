#include "installer/game_search.hpp"

#include "installer/folder_picker.hpp"
#include "installer/install_path.hpp"
#include "steam/steam_install.hpp"
#include "stores/epic_install.hpp"
#include "stores/gog_install.hpp"
#include "stores/heroic_install.hpp"
#include "stores/ubisoft_install.hpp"
#include "stores/xbox_install.hpp"

namespace fs = std::filesystem;

namespace {

using game_source = std::optional<fs::path> (*)(const patch_config&, search_log&);

// The order in which the sources are asked: the first that knows a folder of
// an accepted version wins.
constexpr game_source sources[] = {
    read_registry_install_path, locate_steam_install,   locate_gog_install,    locate_epic_install,
    locate_xbox_install,        locate_ubisoft_install, locate_heroic_install,
};

}  // namespace

game_search find_game_folder(const patch_config& config, version_check& versions, error_location& location,
                             const player_messages* asking) {
  search_log log(location);
  game_search search;
  for (const game_source& source : sources) {
    const std::optional<fs::path> folder = source(config, log);
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
      versions.write_log(log);
    }
    return search;
  }
  if (config.ask_for_folder && asking) {
    search.folder = ask_for_game_folder(config, versions, *asking);
    search.cancelled = !search.folder;
  }
  versions.write_log(log);
  return search;
}
