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

}  // namespace

player_messages::player_messages() : player_messages("en") {}

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

void player_messages::show_installer_busy(const std::filesystem::path& game_folder) const {
  text_fields fields;
  fields.folder = path_to_utf8(game_folder);
  show(text("busy", fields), widen_utf8(text("failure_title")), MB_OK | MB_ICONERROR);
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
  show(text(in_zip ? "started_in_zip" : "no_patch_files"), widen_utf8(text("failure_title")),
       MB_OK | MB_ICONERROR);
}

void player_messages::show_patch_damaged(damage how, const std::string& file) const {
  static constexpr const char* keys[] = {"damaged_missing", "damaged_differs", "damaged_list_missing",
                                         "damaged_folder"};
  text_fields fields;
  fields.file = file;
  show(text(keys[static_cast<int>(how)], fields) + paragraph(text("damaged_advice")),
       widen_utf8(text("failure_title")), MB_OK | MB_ICONERROR);
}

void player_messages::show_not_installed(const std::string& reason) const {
  show(text("not_installed") + paragraph(reason), widen_utf8(text("failure_title")), MB_OK | MB_ICONERROR);
}

void player_messages::show_game_unchanged(
    const std::string& reason, const std::optional<std::filesystem::path>& protected_folder) const {
  std::string advice;
  if (protected_folder) {
    text_fields fields;
    fields.folder = path_to_utf8(*protected_folder);
    advice = paragraph(text("access_denied_advice", fields));
  }
  show(text("game_unchanged") + paragraph(reason) + advice, widen_utf8(text("failure_title")),
       MB_OK | MB_ICONERROR);
}

void player_messages::show_rollback_failed(const std::string& reason) const {
  show(text("rollback_failed") + paragraph(reason) + paragraph(text("rollback_failed_advice")),
       widen_utf8(text("failure_title")), MB_OK | MB_ICONERROR);
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
  show(text("removal_refused", fields), widen_utf8(text("failure_title")), MB_OK | MB_ICONERROR);
}

void player_messages::show_not_removed(const std::string& reason, bool game_unchanged) const {
  const std::string advice = game_unchanged ? std::string() : paragraph(text("rollback_failed_advice"));
  show(text(game_unchanged ? "not_removed" : "removal_failed") + paragraph(reason) + advice,
       widen_utf8(text("failure_title")), MB_OK | MB_ICONERROR);
}
