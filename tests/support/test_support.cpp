#include "support/test_support.hpp"

#include <array>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace test_support {

namespace {

[[noreturn]] void throw_last_error(const char* operation) {
  throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), operation);
}

// The first visible message box owned by `process_id`, or null. A message
// box is a dialog of class "#32770" with its text in control 0xFFFF.
HWND find_message_box(DWORD process_id) {
  struct search {
    DWORD process_id;
    HWND found;
  } state{process_id, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& state = *reinterpret_cast<search*>(parameter);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        std::array<wchar_t, 16> class_name{};
        ::GetClassNameW(window, class_name.data(), static_cast<int>(class_name.size()));
        if (owner == state.process_id && std::wstring_view(class_name.data()) == L"#32770" &&
            ::IsWindowVisible(window) && ::GetDlgItem(window, 0xFFFF)) {
          state.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&state));
  return state.found;
}

std::wstring window_text(HWND window) {
  std::array<wchar_t, 4096> buffer{};
  ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
  return buffer.data();
}

std::wstring box_text(HWND box) {
  std::array<wchar_t, 4096> buffer{};
  ::GetDlgItemTextW(box, 0xFFFF, buffer.data(), static_cast<int>(buffer.size()));
  return buffer.data();
}

struct started_process {
  unique_handle handle;
  DWORD id;
};

started_process start_process(const fs::path& executable, const fs::path& working_folder) {
  std::wstring command_line = L"\"" + executable.native() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(executable.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        working_folder.c_str(), &startup, &process)) {
    throw_last_error("CreateProcessW");
  }
  const unique_handle thread(process.hThread);
  return {unique_handle(process.hProcess), process.dwProcessId};
}

bool running_under_wine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace

fs::path binary_folder() {
  std::array<wchar_t, 32768> buffer{};
  ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  return fs::path(buffer.data()).parent_path();
}

scoped_registry_key::scoped_registry_key(std::wstring subkey) : subkey_(std::move(subkey)) {
  if (!running_under_wine()) {
    throw std::runtime_error("these tests replace registry keys of real programs and run only under Wine");
  }
  ::RegDeleteTreeW(HKEY_CURRENT_USER, subkey_.c_str());  // left over from a crashed run
}

scoped_registry_key::~scoped_registry_key() { ::RegDeleteTreeW(HKEY_CURRENT_USER, subkey_.c_str()); }

void scoped_registry_key::set_string(const std::wstring& name, const std::wstring& value) const {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  if (const LSTATUS status =
          ::RegSetKeyValueW(HKEY_CURRENT_USER, subkey_.c_str(), name.c_str(), REG_SZ, value.c_str(), bytes)) {
    throw std::system_error(status, std::system_category(), "RegSetKeyValueW");
  }
}

void scoped_registry_key::set_dword(const std::wstring& name, DWORD value) const {
  if (const LSTATUS status = ::RegSetKeyValueW(HKEY_CURRENT_USER, subkey_.c_str(), name.c_str(), REG_DWORD,
                                               &value, sizeof(value))) {
    throw std::system_error(status, std::system_category(), "RegSetKeyValueW");
  }
}

stand_in_process::stand_in_process(const std::wstring& image_name) {
  const fs::path executable = folder_.path() / image_name;
  fs::copy_file(binary_folder() / "stand_in_game.exe", executable);
  process_ = start_process(executable, folder_.path()).handle;
}

stand_in_process::~stand_in_process() {
  ::TerminateProcess(process_.get(), 0);
  ::WaitForSingleObject(process_.get(), 10000);
}

program_run run_and_dismiss(const fs::path& executable, const fs::path& working_folder,
                            std::chrono::milliseconds timeout) {
  const started_process process = start_process(executable, working_folder);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  program_run run;
  while (std::chrono::steady_clock::now() < deadline) {
    if (const HWND box = find_message_box(process.id)) {
      run.box_shown = true;
      run.caption = window_text(box);
      run.text = box_text(box);
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      break;
    }
    if (::WaitForSingleObject(process.handle.get(), 20) == WAIT_OBJECT_0) {
      break;
    }
  }
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  const bool ended =
      ::WaitForSingleObject(process.handle.get(), static_cast<DWORD>(std::max<long long>(left.count(), 0))) ==
      WAIT_OBJECT_0;
  if (!ended) {
    ::TerminateProcess(process.handle.get(), 99);
  }
  ::GetExitCodeProcess(process.handle.get(), &run.exit_code);
  if (!ended) {
    throw std::runtime_error("the program did not end in time");
  }
  return run;
}

}  // namespace test_support
