#pragma once

#include "installer/game_version.hpp"
#include "patch/patch_config.hpp"

#include <filesystem>
#include <string>

// Everything the player reads: each outcome's message box, with its texts,
// and the folder picker's texts. Each box is modal, has an OK button unless
// said otherwise and no owner window, and returns when it is closed. Texts
// from config.json are UTF-8 and are shown literally. Throw only
// std::bad_alloc.

// "Please close <game> before installing the patch."
void show_game_running(const patch_config& config);

// "This patch requires <game>. Please install it first.", under the system's
// default title.
void show_game_not_found(const patch_config& config);

// The texts of the folder picker.
struct folder_picker_texts {
  std::wstring title;      // "Where is <game> installed?"
  std::wstring ok_button;  // "Install patch here"
};
folder_picker_texts folder_picker_texts_for(const patch_config& config);

// "<executable> is not in this folder. Please choose the folder where
// <game> is installed." with Retry and Cancel; true for Retry. The
// executable is executable_path, else process_name.
bool ask_to_choose_again(const patch_config& config);

// The chosen folder holds another version of the game than those the patch
// accepts, as `wrong` says; with Retry and Cancel, true for Retry.
bool ask_to_choose_other_version(const patch_config& config, const version_mismatch& wrong);

// Folders of the game were found, none of a version the patch accepts:
// "This patch is for <game> <versions>. The game in <folder> is another
// version", the file that differs and what to do.
void show_wrong_version(const patch_config& config, const version_mismatch& wrong);

// Another installer is at work in `game_folder`; run this one again when it
// has finished.
void show_installer_busy(const std::filesystem::path& game_folder);

// "<game> patch installer", the title of the game's boxes and windows.
std::wstring installer_caption(const patch_config& config);

// "Checking the patch files", what the progress window says while it does.
std::wstring checking_patch_text();

// A file of a sealed patch is missing or damaged, as `reason` (UTF-8) says;
// tells the player how to get it back.
void show_patch_damaged(const std::string& reason);

// "Patch installed. Have fun ;)"
void show_installed(const patch_config& config);

// An unexpected failure before anything was copied; `reason` (UTF-8) says
// what failed and where.
void show_not_installed(const std::string& reason);

// The patch was not installed and the game is as it was (a game file could
// not be moved aside, or the copy failed and was undone); `reason` (UTF-8)
// says why.
void show_game_unchanged(const std::string& reason);

// Undoing a copy that failed did not succeed; `reason` (UTF-8) says why and
// where the game's original files are.
void show_rollback_failed(const std::string& reason);
