#include "installer/messages.hpp"

#include "system/text.hpp"

#include <windows.h>

#include <algorithm>

namespace {

int show(const std::string& text, const std::wstring& caption, UINT type = MB_OK) {
  return ::MessageBoxW(nullptr, widen_utf8(text).c_str(), caption.empty() ? nullptr : caption.c_str(), type);
}

std::string with_backslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// `advice` as a paragraph of its own.
std::string paragraph(const std::string& advice) { return "\n\n" + advice; }

// A failure's reason, led by the file it came from when one was being read.
std::string located(const std::string& reason, const error_location& location) {
  return location.file.empty() ? reason : path_to_utf8(location.file) + ": " + reason;
}

// Access denied, or a write-protected drive: the player can do something
// about it.
bool is_refusal(const failure& why) {
  return why.kind == code_kind::windows &&
         (why.code == ERROR_ACCESS_DENIED || why.code == ERROR_WRITE_PROTECT);
}

}  // namespace

player_messages::player_messages(std::string_view ui_language) : texts_(ui_language, {}) {}

player_messages::player_messages(const patch_config& config, std::string_view ui_language)
    : texts_(config.language == "auto" ? ui_language
             : config.language.empty() ? "en"
                                       : config.language,
             config.messages),
      game_(config.game_name),
      executable_(
          with_backslashes(config.executable_path.empty() ? config.process_name : config.executable_path)),
      patch_name_(config.patch_name) {
  for (const game_version& version : config.game_versions) {
    version_names_.push_back(version.name);
  }
}

std::string player_messages::text(std::string_view key, text_fields fields) const {
  fields.game = game_;
  return texts_(key, fields);
}

std::wstring player_messages::title() const { return widen_utf8(text("installer_title")); }

std::wstring player_messages::checking() const { return widen_utf8(text("checking")); }

folder_picker_texts player_messages::picker_texts() const {
  return {widen_utf8(text("picker_title")), widen_utf8(text("picker_button"))};
}

void player_messages::show_game_running() const { show(text("game_running"), title()); }

void player_messages::show_game_not_found() const { show(text("game_not_found"), {}); }

void player_messages::show_installed() const { show(text("installed"), title()); }

void player_messages::show_failure_box(const std::string& message) const {
  show(message, widen_utf8(text("failure_title")), MB_OK | MB_ICONERROR);
}

void player_messages::show_installer_busy(const std::filesystem::path& game_folder) const {
  text_fields fields;
  fields.folder = path_to_utf8(game_folder);
  show_failure_box(text("busy", fields));
}

std::string player_messages::another_version(const version_mismatch& wrong) const {
  text_fields fields;
  // "A", "A or B", "A, B or C".
  for (std::size_t index = 0; index + 1 < version_names_.size(); ++index) {
    fields.others += (index == 0 ? "" : ", ") + version_names_[index];
  }
  fields.last = version_names_.empty() ? std::string() : version_names_.back();
  fields.versions = version_names_.size() < 2 ? fields.last : text("version_list", fields);
  fields.folder = path_to_utf8(wrong.folder);
  fields.file = with_backslashes(wrong.file);
  return text(wrong.missing ? "another_version_missing" : "another_version_differs", fields);
}

void player_messages::show_wrong_version(const version_mismatch& wrong) const {
  show(another_version(wrong) + paragraph(text("wrong_version_advice")), title(), MB_OK | MB_ICONERROR);
}

bool player_messages::ask_to_choose_again() const {
  text_fields fields;
  fields.executable = executable_;
  return show(text("wrong_folder", fields), title(), MB_RETRYCANCEL) == IDRETRY;
}

bool player_messages::ask_to_choose_other_version(const version_mismatch& wrong) const {
  return show(another_version(wrong) + paragraph(text("choose_other_version")), title(), MB_RETRYCANCEL) ==
         IDRETRY;
}

void player_messages::show_no_patch_files(bool in_zip) const {
  show_failure_box(text(in_zip ? "started_in_zip" : "no_patch_files"));
}

void player_messages::show_patch_damaged(const patch_damage& damaged) const {
  static constexpr const char* keys[] = {"damaged_missing", "damaged_differs", "damaged_list_missing",
                                         "damaged_folder"};
  text_fields fields;
  fields.file = damaged.file;
  show_failure_box(text(keys[static_cast<int>(damaged.how)], fields) + paragraph(text("damaged_advice")));
}

void player_messages::show_not_installed(const std::string& reason, const error_location& location) const {
  show_failure_box(text("not_installed") + paragraph(located(reason, location)));
}

void player_messages::show_failure(const installer_error& error, const error_location& location) const {
  const std::string reason = paragraph(error.what());
  text_fields fields;
  fields.folder = path_to_utf8(error.why().object);
  switch (error.after()) {
    case aftermath::nothing_changed:
      return show_not_installed(error.what(), location);
    case aftermath::install_undone:
      return show_failure_box(
          text("game_unchanged") + reason +
          (is_refusal(error.why()) ? paragraph(text("access_denied_advice", fields)) : ""));
    case aftermath::install_left:
      return show_failure_box(text("rollback_failed") + reason + paragraph(text("rollback_failed_advice")));
    case aftermath::removal_undone:
      return show_failure_box(text("not_removed") + reason);
    case aftermath::removal_left:
      return show_failure_box(text("removal_failed") + reason + paragraph(text("rollback_failed_advice")));
  }
}

std::string player_messages::patch_name() const {
  return patch_name_.empty() ? text("default_patch_name") : patch_name_;
}

bool player_messages::ask_to_remove() const {
  text_fields fields;
  fields.patch = patch_name();
  return show(text("remove_question", fields), title(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void player_messages::show_removed() const { show(text("removed"), title()); }

void player_messages::show_removal_refused(const std::string& file, const std::string& other_name,
                                           const std::string& other_game) const {
  text_fields fields;
  fields.game = other_game;
  fields.other = other_name.empty() ? texts_("other_patch_name", fields) : other_name;
  fields.patch = patch_name();
  fields.file = with_backslashes(file);
  show_failure_box(text("removal_refused", fields));
}
