#include "installer/messages.hpp"

#include "system/text.hpp"

#include <fmt/format.h>
#include <windows.h>
#include <algorithm>

namespace {

int show(const std::wstring& text, const wchar_t* caption, UINT buttons = MB_OK) {
  return ::MessageBoxW(nullptr, text.c_str(), caption, buttons);
}

// The game's name is a replacement field's value: braces in it are shown,
// never interpreted.
std::wstring about_game(fmt::format_string<const std::string&> text, const patch_config& config) {
  return widen_utf8(fmt::format(text, config.game_name));
}

// For failures, which may come before the game's name is known.
constexpr wchar_t failure_caption[] = L"Patch installer";

// "A", "A or B", "A, B or C".
std::string version_names(const patch_config& config) {
  std::string names;
  const auto& versions = config.game_versions;
  for (std::size_t index = 0; index < versions.size(); ++index) {
    names += (index == 0 ? "" : index + 1 == versions.size() ? " or " : ", ") + versions[index].name;
  }
  return names;
}

std::string another_version(const patch_config& config, const version_mismatch& wrong) {
  std::string file = wrong.file;
  std::replace(file.begin(), file.end(), '/', '\\');
  return fmt::format("This patch is for {} {}. The game in {} is another version: {} {}.", config.game_name,
                     version_names(config), path_to_utf8(wrong.folder), file,
                     wrong.missing ? "is missing" : "is not the file of these versions");
}

}  // namespace

std::wstring installer_caption(const patch_config& config) {
  return about_game("{} patch installer", config);
}

std::wstring checking_patch_text() { return L"Checking the patch files"; }

void show_patch_damaged(const std::string& reason) {
  show(widen_utf8("The patch is incomplete or damaged: " + reason +
                  ".\n\nExtract the whole download again and run the installer from the extracted folder. If "
                  "your antivirus removed or quarantined this file, restore it or allow it, then run the "
                  "installer again."),
       failure_caption);
}

void show_game_running(const patch_config& config) {
  show(about_game("Please close {} before installing the patch.", config), installer_caption(config).c_str());
}

void show_game_not_found(const patch_config& config) {
  show(about_game("This patch requires {}. Please install it first.", config), nullptr);
}

folder_picker_texts folder_picker_texts_for(const patch_config& config) {
  return {about_game("Where is {} installed?", config), L"Install patch here"};
}

bool ask_to_choose_again(const patch_config& config) {
  std::string executable = config.executable_path.empty() ? config.process_name : config.executable_path;
  std::replace(executable.begin(), executable.end(), '/', '\\');
  const std::wstring text =
      widen_utf8(fmt::format("{} is not in this folder. Please choose the folder where {} is installed.",
                             executable, config.game_name));
  return show(text, installer_caption(config).c_str(), MB_RETRYCANCEL) == IDRETRY;
}

bool ask_to_choose_other_version(const patch_config& config, const version_mismatch& wrong) {
  const std::wstring text = widen_utf8(another_version(config, wrong) +
                                       "\n\nPlease choose the folder of a version that this patch is for.");
  return show(text, installer_caption(config).c_str(), MB_RETRYCANCEL) == IDRETRY;
}

void show_wrong_version(const patch_config& config, const version_mismatch& wrong) {
  show(widen_utf8(
           another_version(config, wrong) +
           "\n\nUpdate the game to one of these versions, or get the patch that was made for your version."),
       installer_caption(config).c_str());
}

void show_installer_busy(const std::filesystem::path& game_folder) {
  show(widen_utf8(fmt::format("Another patch installer is installing into {} right now. Please run this "
                              "installer again when that one has finished.",
                              path_to_utf8(game_folder))),
       failure_caption);
}

void show_installed(const patch_config& config) {
  show(L"Patch installed. Have fun ;)", installer_caption(config).c_str());
}

void show_not_installed(const std::string& reason) {
  show(widen_utf8("The patch was not installed because of an unexpected error:\n\n" + reason),
       failure_caption);
}

void show_game_unchanged(const std::string& reason) {
  show(widen_utf8("The patch was not installed. The game is as it was before:\n\n" + reason),
       failure_caption);
}

void show_rollback_failed(const std::string& reason) {
  show(widen_utf8("The patch was not installed, and the game could not be put back as it was:\n\n" + reason +
                  "\n\nRun the installer again: it puts the game's files back first."),
       failure_caption);
}
