#include "installer/folder_picker.hpp"

#include "installer/messages.hpp"
#include "system/com.hpp"
#include "system/file_operations.hpp"
#include "system/handle.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <windows.h>
// After windows.h, which it needs.
#include <shobjidl.h>

namespace fs = std::filesystem;

namespace {

// Opens `dialog` in `folder`. A folder the shell cannot name leaves the
// picker where it would open anyway: the player can still go anywhere.
void open_in(IFileOpenDialog& dialog, const fs::path& folder) {
  com_ptr<IShellItem> item;
  if (SUCCEEDED(::SHCreateItemFromParsingName(folder.c_str(), nullptr, IID_PPV_ARGS(item.put())))) {
    (void)dialog.SetFolder(item.get());
  }
}

// The folder the player chose, or nothing when they cancelled.
std::optional<fs::path> pick_folder(const folder_picker_texts& texts, const std::optional<fs::path>& start) {
  com_ptr<IFileOpenDialog> dialog;
  throw_if_failed(
      ::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.put())),
      "creating the folder picker");
  FILEOPENDIALOGOPTIONS options = 0;
  throw_if_failed(dialog->GetOptions(&options), "IFileOpenDialog::GetOptions");
  // FOS_NOCHANGEDIR: the current folder is where install_log.log is written.
  throw_if_failed(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                                     FOS_NOCHANGEDIR),
                  "IFileOpenDialog::SetOptions");
  throw_if_failed(dialog->SetTitle(texts.title.c_str()), "IFileOpenDialog::SetTitle");
  throw_if_failed(dialog->SetOkButtonLabel(texts.ok_button.c_str()), "IFileOpenDialog::SetOkButtonLabel");
  if (start) {
    open_in(*dialog.get(), *start);
  }
  const HRESULT shown = dialog->Show(nullptr);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) {
    return std::nullopt;
  }
  throw_if_failed(shown, "showing the folder picker");
  com_ptr<IShellItem> item;
  throw_if_failed(dialog->GetResult(item.put()), "IFileOpenDialog::GetResult");
  unique_cotaskmem_string path;
  throw_if_failed(item->GetDisplayName(SIGDN_FILESYSPATH, path.put()), "IShellItem::GetDisplayName");
  return fs::path(path.get());
}

// Where the game's executable lies in `folder`: executable_path, else
// process_name directly in it.
fs::path executable_below(const fs::path& folder, const patch_config& config) {
  const std::string& relative = config.executable_path.empty() ? config.process_name : config.executable_path;
  return folder / path_from_utf8(relative);
}

}  // namespace

std::optional<fs::path> ask_for_game_folder(const patch_config& config, version_check& versions,
                                            const player_messages& messages,
                                            const std::optional<fs::path>& start) {
  const com_apartment com;
  const folder_picker_texts texts = messages.picker_texts();
  while (true) {
    const std::optional<fs::path> folder = pick_folder(texts, start);
    if (!folder) {
      return std::nullopt;
    }
    // The executable at its place ties the game's folder: a folder above it
    // would hold it too, deeper down.
    if (!is_existing_folder(*folder) ||
        examine_path(executable_below(*folder, config)).value_or(path_kind::none) != path_kind::file) {
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
