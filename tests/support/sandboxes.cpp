#include "support/sandboxes.hpp"

#include "system/text.hpp"

#include <shlobj.h>

#include <system_error>

namespace fs = std::filesystem;

namespace test_support {

namespace {

fs::path known_folder(const KNOWNFOLDERID& known) {
  wchar_t* text = nullptr;
  ::SHGetKnownFolderPath(known, 0, nullptr, &text);
  const fs::path folder(text);
  ::CoTaskMemFree(text);
  return folder;
}

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

nlohmann::json test_game_config(const std::string& game_name) {
  return {{"game_name", game_name},
          {"process_name", "FlowTestGame.exe"},
          {"data_directory", "Data"},
          {"registry_key", "PatchInstallerTest\\Flow Game"},
          {"steam_id", "480"}};
}

installer_sandbox::installer_sandbox(const nlohmann::json& config)
    : key_(L"Software\\Mirelune\\PatchInstallerTest\\Flow Game") {
  fs::create_directories(archives());
  fs::copy_file(binary_folder() / "patch_installer.exe", installer_folder() / "patch_installer.exe");
  write_file(archives() / "config.json", config.dump());
}

void installer_sandbox::register_game_folder() const {
  fs::create_directories(game_folder());
  key_.set_string(L"InstallPath", game_folder().native());
}

program_run installer_sandbox::run() const {
  return run_and_dismiss(installer_folder() / "patch_installer.exe", root());
}

steam_sandbox::steam_sandbox() { fs::create_directories(steam_folder() / "steamapps"); }

void steam_sandbox::register_steam(const std::optional<std::wstring>& value) const {
  key_.set_string(L"SteamPath", value.value_or(steam_folder().native()));
}

void steam_sandbox::write_library_list(const std::string& content) const {
  write_file(steam_folder() / "steamapps" / "libraryfolders.vdf", content);
}

std::string steam_sandbox::realistic_library_list(const fs::path& library0, const fs::path& library1) const {
  std::string list = test_data("libraryfolders-contentstatsid-template.vdf");
  replace_all(list, "@LIBRARY0@", steam_text(library0));
  replace_all(list, "@LIBRARY1@", steam_text(library1));
  return list;
}

void steam_sandbox::write_manifest(const fs::path& library, const std::string& installdir) const {
  std::string manifest = test_data("appmanifest-480-template.acf");
  replace_all(manifest, "@INSTALLDIR@", installdir);
  write_file(library / "steamapps" / "appmanifest_480.acf", manifest);
}

fs::path steam_sandbox::install_game(const fs::path& library, const std::string& installdir) const {
  write_manifest(library, installdir);
  const fs::path folder = library / "steamapps" / "common" / fs::path(widened(installdir));
  fs::create_directories(folder);
  return folder;
}

std::pair<fs::path, fs::path> steam_sandbox::write_two_libraries(
    const std::optional<std::string>& installdir) const {
  const fs::path zero = library(L"Library Zero");
  const fs::path one = library(L"Library One");
  if (installdir) {
    install_game(one, *installdir);
  }
  write_library_list(realistic_library_list(zero, one));
  return {zero, one};
}

launcher_key_sandbox::launcher_key_sandbox(const std::wstring& vendor, std::wstring game_key,
                                           std::wstring value_name)
    : game_key_(std::move(game_key)),
      value_name_(std::move(value_name)),
      key_32_(L"SOFTWARE\\" + vendor, HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY),
      key_64_(L"SOFTWARE\\" + vendor, HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY) {}

void launcher_key_sandbox::register_game(REGSAM view, const std::wstring& value) const {
  (view == KEY_WOW64_32KEY ? key_32_ : key_64_).set_string(value_name_, value, game_key_);
}

epic_sandbox::epic_sandbox() : key_(L"SOFTWARE\\Epic Games", HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY) {
  std::error_code ignored;
  fs::remove_all(default_data_folder().parent_path().parent_path(), ignored);
}

epic_sandbox::~epic_sandbox() {
  std::error_code ignored;
  fs::remove_all(default_data_folder().parent_path().parent_path(), ignored);
}

fs::path epic_sandbox::default_data_folder() const {
  wchar_t* program_data = nullptr;
  ::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &program_data);
  const fs::path folder = fs::path(program_data) / "Epic" / "EpicGamesLauncher" / "Data";
  ::CoTaskMemFree(program_data);
  return folder;
}

void epic_sandbox::register_data_folder(const fs::path& folder) const {
  key_.set_string(L"AppDataPath", folder.native(), L"EpicGamesLauncher");
}

void epic_sandbox::write_manifest(const fs::path& data_folder, const std::string& name,
                                  const std::string& content) const {
  write_file(data_folder / "Manifests" / name, content);
}

std::string epic_sandbox::manifest(const std::string& app_name, const fs::path& folder, bool incomplete) {
  return nlohmann::json{{"FormatVersion", 0},
                        {"bIsIncompleteInstall", incomplete},
                        {"LaunchExecutable", "Game.exe"},
                        {"DisplayName", app_name + " (display name)"},
                        {"InstallLocation", path_to_utf8(folder)},
                        {"AppName", app_name},
                        {"CatalogNamespace", "0a1b2c"}}
      .dump(1, '\t');
}

heroic_sandbox::heroic_sandbox() {
  wchar_t* app_data = nullptr;
  ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &app_data);
  folder_ = fs::path(app_data) / "heroic";
  ::CoTaskMemFree(app_data);
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

heroic_sandbox::~heroic_sandbox() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

void heroic_sandbox::write_legendary_list(const nlohmann::json& list) const {
  write_file(folder_ / "legendaryConfig" / "legendary" / "installed.json", list.dump(2));
}

void heroic_sandbox::write_gog_list(const nlohmann::json& list) const {
  write_file(folder_ / "gog_store" / "installed.json", list.dump(2));
}

void uninstall_sandbox::add(HKEY root, REGSAM view, const std::wstring& name,
                            const std::wstring& uninstall_string, const std::wstring& install_location) {
  const scoped_registry_key& key =
      keys_.emplace_back(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name, root, view);
  key.set_string(L"DisplayName", name);
  key.set_string(L"UninstallString", uninstall_string);
  if (!install_location.empty()) {
    key.set_string(L"InstallLocation", install_location);
  }
}

void legacy_sandbox::register_game(const std::wstring& game,
                                   const std::vector<std::pair<std::wstring, std::wstring>>& values) const {
  for (const auto& [name, value] : values) {
    key_.set_string(name, value, game);
  }
}

launcher_folder_sandbox::launcher_folder_sandbox(const KNOWNFOLDERID& known, const std::wstring& name)
    : folder_(known_folder(known) / name) {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

launcher_folder_sandbox::~launcher_folder_sandbox() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string ea_installer_data(const std::vector<std::string>& ids, const std::string& encoding) {
  std::string listed;
  for (const std::string& id : ids) {
    listed += "    <contentID>" + id + "</contentID>\r\n";
  }
  return "<?xml version=\"1.0\" encoding=\"" + encoding +
         "\"?>\r\n"
         "<DiPManifest version=\"4.0\">\r\n"
         "  <buildMetaData>\r\n    <gameVersion version=\"1.0.4.0\"/>\r\n  </buildMetaData>\r\n"
         "  <contentIDs>\r\n" +
         listed +
         "  </contentIDs>\r\n"
         "  <gameTitles>\r\n    <gameTitle locale=\"en_US\">Kinglet</gameTitle>\r\n  </gameTitles>\r\n"
         "  <runtime>\r\n    <launcher>\r\n"
         "      <filePath>[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mirelune\\Kinglet\\Install "
         "Dir]Kinglet.exe</filePath>\r\n"
         "    </launcher>\r\n  </runtime>\r\n"
         "</DiPManifest>\r\n";
}

std::string humble_settings(const nlohmann::json& collection) {
  return nlohmann::json{{"settings", {{"downloadLocation", "C:\\Users\\Player\\Humble"}}},
                        {"user", {{"owns_active_content", true}, {"is_paused", false}}},
                        {"game-collection-4", collection}}
      .dump(2);
}

std::string xbox_manifest(const std::string& package) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
         "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\" "
         "IgnorableNamespaces=\"uap\">\r\n"
         "  <Identity Name=\"" +
         package +
         "\" Publisher=\"CN=A1B2C3D4\" Version=\"1.2.0.0\" ProcessorArchitecture=\"x64\" />\r\n"
         "  <Properties><DisplayName>Flow Game</DisplayName></Properties>\r\n"
         "</Package>\r\n";
}

std::string steam_text(const fs::path& path) {
  std::string text = path_to_utf8(path);
  replace_all(text, "\\", "\\\\");
  return text;
}

std::wstring widened(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end())).native();
}

std::set<std::string> files_below(const fs::path& folder) {
  std::set<std::string> files;
  if (!fs::exists(folder)) {
    return files;
  }
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files.insert(path_to_utf8(fs::path(entry.path().lexically_relative(folder).generic_wstring())));
    }
  }
  return files;
}

std::map<std::string, std::string> tree_below(const fs::path& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name =
        path_to_utf8(fs::path(entry.path().lexically_relative(folder).generic_wstring()));
    std::error_code error;
    const fs::file_type type = entry.status(error).type();
    if (type == fs::file_type::directory) {
      tree[name + "/"] = "";
    } else if (type == fs::file_type::regular) {
      tree[name] = read_file(entry.path());
    } else {
      tree[name] = "(not a file: " + error.message() + ")";  // a link to itself, say
    }
  }
  return tree;
}

std::string test_data(const std::string& name) { return read_file(binary_folder() / "test-data" / name); }

}  // namespace test_support
