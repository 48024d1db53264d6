#include "installer/folder_picker.hpp"

#include "installer/messages.hpp"
#include "system/com.hpp"
#include "system/file_operations.hpp"
#include "system/folders.hpp"
#include "system/text.hpp"

#include <windows.h>
// After windows.h, which it needs.
#include <shobjidl.h>

#include <memory>

namespace fs = std::filesystem;

namespace {

// The folder the player chose, or nothing when they cancelled.
std::optional<fs::path> pick_folder(const folder_picker_texts& texts) {
  IFileOpenDialog* created = nullptr;
  check(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created)),
        "creating the folder picker");
  const com_ptr<IFileOpenDialog> dialog(created);
  FILEOPENDIALOGOPTIONS options = 0;
  check(dialog->GetOptions(&options), "IFileOpenDialog::GetOptions");
  // FOS_NOCHANGEDIR: the current folder is where install_log.log is written.
  check(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                           FOS_NOCHANGEDIR),
        "IFileOpenDialog::SetOptions");
  check(dialog->SetTitle(texts.title.c_str()), "IFileOpenDialog::SetTitle");
  check(dialog->SetOkButtonLabel(texts.ok_button.c_str()), "IFileOpenDialog::SetOkButtonLabel");
  const HRESULT shown = dialog->Show(nullptr);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) {
    return std::nullopt;
  }
  check(shown, "showing the folder picker");
  IShellItem* chosen = nullptr;
  check(dialog->GetResult(&chosen), "IFileOpenDialog::GetResult");
  const com_ptr<IShellItem> item(chosen);
  wchar_t* path = nullptr;
  check(item->GetDisplayName(SIGDN_FILESYSPATH, &path), "IShellItem::GetDisplayName");
  const std::unique_ptr<wchar_t, task_memory_freer> owned_path(path);
  return fs::path(path);
}

}  // namespace

fs::path executable_below(const fs::path& folder, const patch_config& config) {
  const std::string& relative = config.executable_path.empty() ? config.process_name : config.executable_path;
  return folder / path_from_utf8(relative);
}

std::optional<fs::path> ask_for_game_folder(const patch_config& config, version_check& versions,
                                            const player_messages& messages) {
  const com_apartment com;
  const folder_picker_texts texts = messages.picker_texts();
  while (true) {
    const std::optional<fs::path> folder = pick_folder(texts);
    if (!folder) {
      return std::nullopt;
    }
    // The executable at its place ties the game's folder: a folder above it
    // would hold it too, deeper down.
    if (!is_existing_folder(*folder) ||
        examine_path(executable_below(*folder, config)).kind != path_kind::file) {
      if (!messages.ask_to_choose_again()) {
        return std::nullopt;
      }
      continue;
    }
    const std::optional<version_mismatch> wrong = versions.mismatch(*folder);
    if (!wrong) {
      return folder;
    }
    if (!messages.ask_to_choose_other_version(*wrong)) {
      return std::nullopt;
    }
  }
}
