#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

struct IProgressDialog;

// The shell's own progress window, the one Explorer shows while it copies,
// with a bar, the item being worked on and a Cancel button. It opens only
// once the work has taken longer than a second, so that quick work shows
// nothing, and closes with its scope.
class progress_window {
 public:
  // `title` is the window's title, `action` its first line. Throws nothing.
  progress_window(std::wstring title, std::wstring action);
  ~progress_window();
  progress_window(const progress_window&) = delete;
  progress_window& operator=(const progress_window&) = delete;

  // Shows that `done` of `total` is done, working on `item`; false once the
  // player has pressed Cancel. Throws installer_error when the window
  // cannot be shown.
  bool update(std::uint64_t done, std::uint64_t total, const std::wstring& item);

 private:
  void open();

  std::wstring title_;
  std::wstring action_;
  std::chrono::steady_clock::time_point next_update_;
  struct com_state;
  std::unique_ptr<com_state> com_;
};
