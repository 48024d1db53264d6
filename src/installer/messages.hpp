#pragma once

#include "base/failure.hpp"
#include "installer/game_version.hpp"
#include "installer/sealed_patch.hpp"
#include "patch/patch_config.hpp"
#include "system/error_location.hpp"
#include "texts/message_texts.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct folder_picker_texts {
  std::wstring title;      // "Where is <game> installed?"
  std::wstring ok_button;  // "Install patch here"
};

// Everything the player reads, in the run's language: each outcome's message
// box and the texts of the folder picker and the progress window. Each box
// is modal, has an OK button unless said otherwise and no owner window, and
// returns when it is closed; failure boxes show the error icon. Texts from
// config.json are UTF-8 and are shown literally. Reasons (UTF-8) are shown
// as they come. Throw only std::bad_alloc.
class player_messages {
 public:
  // Before config.json is read: in the language of `ui_language`'s table
  // ("en" when the table has nothing nearer); English, unless told, for a
  // failure.
  explicit player_messages(std::string_view ui_language = "en");
  // In config.json's language (English without one; the Windows user
  // interface's, `ui_language`, for "auto"), with its own wording.
  player_messages(const patch_config& config, std::string_view ui_language);

  // "<game> patch installer", the title of the game's boxes and windows.
  std::wstring title() const;
  // "Checking the patch files", what the progress window says meanwhile.
  std::wstring checking() const;
  folder_picker_texts picker_texts() const;

  void show_game_running() const;
  // Under the system's default title.
  void show_game_not_found() const;
  void show_installed() const;
  // Another installer is at work in `game_folder`.
  void show_installer_busy(const std::filesystem::path& game_folder) const;
  // Folders of the game were found, none of a version the patch accepts.
  void show_wrong_version(const version_mismatch& wrong) const;
  // The executable is not where it belongs in the chosen folder: Retry and
  // Cancel; true for Retry.
  bool ask_to_choose_again() const;
  // The chosen folder holds another version: Retry and Cancel; true for
  // Retry.
  bool ask_to_choose_other_version(const version_mismatch& wrong) const;

  // archives\config.json is not beside the installer; `in_zip` when it was
  // started from inside a zip file.
  void show_no_patch_files(bool in_zip) const;
  // A file of a sealed patch is damaged.
  void show_patch_damaged(const patch_damage& damaged) const;
  // A failure ended the run; what it left of the game decides the words:
  // before anything changed, its reason is led by the file being read then
  // (from `location`); a game left as it was gets the advice for a folder
  // that Windows does not let this account change, when that was the cause.
  void show_failure(const installer_error& error, const error_location& location) const;
  // A failure of a library (JSON, memory) ended the run before anything
  // changed.
  void show_not_installed(const std::string& reason, const error_location& location) const;

  // The patch is on the game: Yes and No to taking it off; true for Yes.
  bool ask_to_remove() const;
  void show_removed() const;
  // The patch cannot be taken off: the other patch `other_name` (empty when
  // it has none) of `other_game` wrote over its file `file` (as in a
  // record, '/' between folders).
  void show_removal_refused(const std::string& file, const std::string& other_name,
                            const std::string& other_game) const;

 private:
  void show_failure_box(const std::string& message) const;
  std::string text(std::string_view key, text_fields fields = {}) const;
  std::string another_version(const version_mismatch& wrong) const;
  std::string patch_name() const;

  message_texts texts_;
  std::string game_;
  std::string executable_;  // as shown: '\' between folders
  std::string patch_name_;  // config.json's, empty when it has none
  std::vector<std::string> version_names_;
};
