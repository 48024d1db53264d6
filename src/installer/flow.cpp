#include "flow.hpp"

#include "archive_files.hpp"
#include "config.hpp"
#include "deploy.hpp"
#include "messages.hpp"
#include "process.hpp"
#include "registry.hpp"
#include "steam_install.hpp"
#include "text.hpp"

#include <fmt/format.h>
#include <windows.h>

#include <array>

namespace fs = std::filesystem;

namespace {

fs::path executable_folder() {
  std::array<wchar_t, MAX_PATH> buffer{};
  ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return fs::path(buffer.data()).parent_path();
}

std::wstring installer_caption(const patch_config& config) {
  return widen_utf8(fmt::format("{} patch installer", config.game_name));
}

}  // namespace

int run_installer() {
  const fs::path archives = executable_folder() / "archives";
  const patch_config config = load_patch_config(archives / "config.json");

  if (is_game_running(widen_utf8(config.process_name))) {
    show_message(widen_utf8(fmt::format("Please close {} before installing the patch.", config.game_name)),
                 installer_caption(config));
    return game_running;
  }

  std::optional<fs::path> game_folder = read_registry_install_path(config);
  if (!game_folder) {
    game_folder = locate_steam_install(config);
  }
  if (!game_folder) {
    show_message(
        widen_utf8(fmt::format("This patch requires {}. Please install it first.", config.game_name)),
        std::nullopt);
    return game_not_found;
  }

  const std::vector<fs::path> files = collect_archive_files(archives);
  deploy_archive_files(files, archives, *game_folder);
  show_message(L"Patch installed. Have fun ;)", installer_caption(config));
  return installed;
}
