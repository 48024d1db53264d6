#include "installer/game_search.hpp"

#include "installer/install_path.hpp"
#include "steam/steam_install.hpp"
#include "stores/store_lookups.hpp"

namespace fs = std::filesystem;

namespace {

using game_source = std::optional<fs::path> (*)(const patch_config&, search_log&);

// The order in which the sources are asked: the first that knows a folder of
// an accepted version wins. The registry's folder alone leaves no log, as
// when versions are not checked.
constexpr game_source sources[] = {
    read_registry_install_path, locate_steam_install,   locate_gog_install,      locate_epic_install,
    locate_xbox_install,        locate_ubisoft_install, locate_heroic_install,   locate_amazon_install,
    locate_battlenet_install,   locate_ea_install,      locate_rockstar_install, locate_legacy_install,
    locate_humble_install,
};

}  // namespace

game_search find_game_folder(const patch_config& config, version_check& versions, search_log& log) {
  game_search search = game_not_found{};
  for (std::size_t index = 0; index < std::size(sources); ++index) {
    const std::optional<fs::path> folder = sources[index](config, log);
    if (!folder) {
      continue;
    }
    if (std::optional<version_mismatch> wrong = versions.mismatch(*folder)) {
      if (std::holds_alternative<game_not_found>(search)) {
        search = std::move(*wrong);
      }
      continue;
    }
    if (index > 0) {
      versions.write_log(log);
    }
    return *folder;
  }
  versions.write_log(log);
  return search;
}

std::optional<fs::path> picker_start_folder(const patch_config& config, search_log& log) {
  std::optional<fs::path> start = steam_games_folder_under_wine(config, log.location());
  if (start) {
    log.write(L"the folder picker opens in {}\n", start->native());
  }
  return start;
}
