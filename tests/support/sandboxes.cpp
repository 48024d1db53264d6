#include "support/sandboxes.hpp"

#include "system/text.hpp"

namespace fs = std::filesystem;

namespace test_support {

namespace {

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

std::pair<fs::path, fs::path> steam_sandbox::write_two_libraries(
    const std::optional<std::string>& installdir) const {
  const fs::path zero = library(L"Library Zero");
  const fs::path one = library(L"Library One");
  if (installdir) {
    write_manifest(one, *installdir);
  }
  write_library_list(realistic_library_list(zero, one));
  return {zero, one};
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

std::string test_data(const std::string& name) { return read_file(binary_folder() / "test-data" / name); }

}  // namespace test_support
