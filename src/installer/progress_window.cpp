#include "installer/progress_window.hpp"

#include "system/com.hpp"
#include "system/handle.hpp"
#include "system/windows_error.hpp"

#include <windows.h>
// After windows.h, which they need.
#include <shlguid.h>
#include <shlobj.h>

namespace {

// The window is told news no more often than this: each telling is a
// message to its thread.
constexpr std::chrono::milliseconds update_interval(50);

}  // namespace

struct progress_window::com_state {
  com_apartment apartment;
  com_ptr<IProgressDialog> dialog;
};

progress_window::progress_window(std::wstring title, std::wstring action)
    : title_(std::move(title)),
      action_(std::move(action)),
      next_update_(std::chrono::steady_clock::now() + std::chrono::seconds(1)) {}

progress_window::~progress_window() {
  if (com_ && com_->dialog) {
    com_->dialog->StopProgressDialog();
  }
}

void progress_window::open() {
  com_ = std::make_unique<com_state>();
  throw_if_failed(::CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IProgressDialog,
                                     reinterpret_cast<void**>(com_->dialog.put())),
                  "creating the progress window");
  throw_if_failed(com_->dialog->SetTitle(title_.c_str()), "IProgressDialog::SetTitle");
  throw_if_failed(com_->dialog->SetLine(1, action_.c_str(), FALSE, nullptr), "IProgressDialog::SetLine");
  throw_if_failed(com_->dialog->StartProgressDialog(
                      nullptr, nullptr, PROGDLG_NORMAL | PROGDLG_AUTOTIME | PROGDLG_NOMINIMIZE, nullptr),
                  "IProgressDialog::StartProgressDialog");
}

bool progress_window::update(std::uint64_t done, std::uint64_t total, const std::wstring& item) {
  const auto now = std::chrono::steady_clock::now();
  if (now < next_update_) {
    return true;
  }
  next_update_ = now + update_interval;
  if (!com_) {
    open();
  }
  IProgressDialog& dialog = *com_->dialog.get();
  // TRUE: the shell shortens a long path to fit the line.
  dialog.SetLine(2, item.c_str(), TRUE, nullptr);
  dialog.SetProgress64(done, total);
  return !dialog.HasUserCancelled();
}
