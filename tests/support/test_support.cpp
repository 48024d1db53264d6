#include "support/test_support.hpp"

// After windows.h, which it needs.
#include <winioctl.h>

#include <array>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace test_support {

namespace {

[[noreturn]] void throw_last_error(const char* operation) {
  throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), operation);
}

// The first visible top-level window of `process_id` that `accept` takes.
template <class predicate>
HWND find_window(DWORD process_id, predicate accept) {
  struct search {
    DWORD process_id;
    predicate* accept;
    HWND found;
  } state{process_id, &accept, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& state = *reinterpret_cast<search*>(parameter);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == state.process_id && ::IsWindowVisible(window) && (*state.accept)(window)) {
          state.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&state));
  return state.found;
}

// A message box is a dialog of class "#32770" with its text in control 0xFFFF.
bool is_message_box(HWND window) {
  std::array<wchar_t, 16> class_name{};
  ::GetClassNameW(window, class_name.data(), static_cast<int>(class_name.size()));
  return std::wstring_view(class_name.data()) == L"#32770" && ::GetDlgItem(window, 0xFFFF);
}

// The first descendant of `parent` of the window class `class_name`, or null.
HWND find_descendant(HWND parent, const wchar_t* class_name) {
  struct search {
    const wchar_t* class_name;
    HWND found;
  } state{class_name, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& state = *reinterpret_cast<search*>(parameter);
        std::array<wchar_t, 64> name{};
        ::GetClassNameW(window, name.data(), static_cast<int>(name.size()));
        if (std::wstring_view(name.data()) == state.class_name) {
          state.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&state));
  return state.found;
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

scoped_registry_key::scoped_registry_key(std::wstring subkey, HKEY root, REGSAM view)
    : subkey_(std::move(subkey)), root_(root), view_(view) {
  if (!running_under_wine()) {
    throw std::runtime_error("these tests replace registry keys of real programs and run only under Wine");
  }
  remove();  // left over from a crashed run
}

scoped_registry_key::~scoped_registry_key() { remove(); }

void scoped_registry_key::remove() const {
  unique_hkey key;
  if (::RegOpenKeyExW(root_, subkey_.c_str(), 0, KEY_ALL_ACCESS | view_, key.put()) == ERROR_SUCCESS) {
    ::RegDeleteTreeW(key.get(), nullptr);
    key.reset();
    ::RegDeleteKeyExW(root_, subkey_.c_str(), view_, 0);
  }
}

void scoped_registry_key::set_string(const std::wstring& name, const std::wstring& value,
                                     const std::wstring& below) const {
  const std::wstring path = below.empty() ? subkey_ : subkey_ + L"\\" + below;
  unique_hkey key;
  LSTATUS status = ::RegCreateKeyExW(root_, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view_, nullptr,
                                     key.put(), nullptr);
  if (status != ERROR_SUCCESS) {
    throw std::system_error(status, std::system_category(), "RegCreateKeyExW");
  }
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  status = ::RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            bytes);
  if (status != ERROR_SUCCESS) {
    throw std::system_error(status, std::system_category(), "RegSetValueExW");
  }
}

void scoped_registry_key::set_dword(const std::wstring& name, DWORD value) const {
  if (const LSTATUS status =
          ::RegSetKeyValueW(root_, subkey_.c_str(), name.c_str(), REG_DWORD, &value, sizeof(value))) {
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

gui_program::gui_program(const fs::path& executable, const fs::path& working_folder) {
  started_process started = start_process(executable, working_folder);
  process_ = std::move(started.handle);
  id_ = started.id;
}

paused_step::paused_step(const std::wstring& step) {
  const std::wstring name = L"Local\\patch-installer-test-" + step;
  reached_.reset(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  go_.reset(::CreateEventW(nullptr, TRUE, FALSE, (name + L"-go").c_str()));
  if (!reached_ || !go_) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateEventW");
  }
}

bool paused_step::reached(std::chrono::milliseconds timeout) const {
  return ::WaitForSingleObject(reached_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void paused_step::go() const { ::SetEvent(go_.get()); }

gui_program::~gui_program() {
  if (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), 10000);
  }
}

namespace {

// Polls `find` until it gives a window, the process ends (null) or time is up.
template <class finder>
HWND wait_for(HANDLE process, std::chrono::milliseconds timeout, finder find, const char* what) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (const HWND window = find()) {
      return window;
    }
    if (::WaitForSingleObject(process, 20) == WAIT_OBJECT_0) {
      return find();  // a window it showed just before it ended
    }
  }
  throw std::runtime_error(std::string("no ") + what + " appeared in time");
}

}  // namespace

std::optional<message_box> gui_program::wait_for_message_box(std::chrono::milliseconds timeout) {
  const HWND box = wait_for(
      process_.get(), timeout, [&] { return find_window(id_, is_message_box); }, "message box");
  if (!box) {
    return std::nullopt;
  }
  return message_box{box, text_of(box), text_of(box, 0xFFFF)};
}

HWND gui_program::wait_for_window(const std::wstring& title, std::chrono::milliseconds timeout) {
  return wait_for(
      process_.get(), timeout,
      [&] { return find_window(id_, [&](HWND window) { return text_of(window) == title; }); }, "window");
}

DWORD gui_program::wait_for_exit(std::chrono::milliseconds timeout) {
  if (::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    throw std::runtime_error("the program did not end in time");
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

void press(HWND dialog, int command) { ::PostMessageW(dialog, WM_COMMAND, command, 0); }

void choose_folder(HWND picker, const fs::path& folder) {
  const HWND name_field = find_descendant(picker, L"Edit");
  if (!name_field) {
    throw std::runtime_error("the folder picker has no name field");
  }
  ::SendMessageW(name_field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  press(picker, IDOK);
}

std::wstring text_of(HWND window, int control) {
  std::array<wchar_t, 4096> buffer{};
  if (control == 0) {
    ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
  } else {
    ::GetDlgItemTextW(window, control, buffer.data(), static_cast<int>(buffer.size()));
  }
  return buffer.data();
}

void set_read_only(const fs::path& path, bool read_only) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      !::SetFileAttributesW(path.c_str(), read_only ? attributes | FILE_ATTRIBUTE_READONLY
                                                    : attributes & ~FILE_ATTRIBUTE_READONLY)) {
    throw_last_error("SetFileAttributesW");
  }
}

std::string unix_path_of(const fs::path& path) {
  // Wine's own export: the Unix path of a Windows one, on the process heap.
  using unix_name_of = char*(CDECL*)(const wchar_t*);
  const auto unix_name = reinterpret_cast<unix_name_of>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* const name = unix_name ? unix_name(path.c_str()) : nullptr;
  if (!name) {
    throw std::runtime_error("no Unix path for " + path.string());
  }
  std::string text(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  return text;
}

namespace {

// Runs the Unix program `program` (by its path below Z:) with `command_line`
// and waits until `done()`: Wine gives no handle to wait on for a Unix
// process. Throws std::runtime_error naming `what` after ten seconds.
void run_unix(const wchar_t* program, std::wstring command_line, const std::function<bool()>& done,
              const std::string& what) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    throw_last_error("CreateProcessW");
  }
  const unique_handle owned_process(process.hProcess);
  const unique_handle thread(process.hThread);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error(what + " did not happen");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool is_absent(const fs::path& path) {
  return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
         (::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_PATH_NOT_FOUND);
}

}  // namespace

void make_unix_link(const fs::path& link, const std::string& target) {
  const std::string unix_link = unix_path_of(link.parent_path()) + "/" + link.filename().string();
  // Wine runs a Unix program when asked to start one, with these arguments.
  run_unix(
      L"Z:\\bin\\ln",
      L"ln -s \"" + fs::path(target).native() + L"\" \"" + fs::path(unix_link).native() + L"\"",
      [&] { return !is_absent(link); }, "ln -s " + target + " " + unix_link);
}

void remove_unix_tree(const fs::path& folder) {
  if (is_absent(folder)) {
    return;
  }
  const std::string unix_folder = unix_path_of(folder);
  run_unix(
      L"Z:\\bin\\rm", L"rm -rf \"" + fs::path(unix_folder).native() + L"\"",
      [&] { return is_absent(folder); }, "rm -rf " + unix_folder);
}

namespace {

// Wine's mount manager extension, as winecfg uses it to map a drive letter to
// a Unix folder: the layout of Wine 6 and later.
struct wine_unix_drive {
  ULONG size;
  ULONG type;
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};
constexpr DWORD define_unix_drive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Maps `letter` to `unix_folder` as a fixed drive, or unmaps it when the
// folder is empty.
void define_wine_drive(wchar_t letter, const std::string& unix_folder) {
  const unique_hfile manager(::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                           nullptr));
  if (!manager) {
    throw_last_error("opening Wine's mount manager");
  }
  std::vector<char> request(sizeof(wine_unix_drive) + unix_folder.size() + 1, '\0');
  wine_unix_drive drive{};
  drive.size = static_cast<ULONG>(request.size());
  drive.letter = letter;
  if (!unix_folder.empty()) {
    drive.type = DRIVE_FIXED;
    drive.mount_point_offset = sizeof(wine_unix_drive);
    unix_folder.copy(request.data() + sizeof(wine_unix_drive), unix_folder.size());
  }
  std::memcpy(request.data(), &drive, sizeof(drive));
  if (!::DeviceIoControl(manager.get(), define_unix_drive, request.data(), static_cast<DWORD>(request.size()),
                         nullptr, 0, nullptr, nullptr)) {
    throw_last_error("defining a Wine drive");
  }
}

}  // namespace

scoped_environment_variable::scoped_environment_variable(std::wstring name, const std::wstring& value)
    : name_(std::move(name)) {
  std::array<wchar_t, 32768> buffer{};
  if (::GetEnvironmentVariableW(name_.c_str(), buffer.data(), static_cast<DWORD>(buffer.size())) > 0) {
    previous_ = buffer.data();
  }
  if (!::SetEnvironmentVariableW(name_.c_str(), value.c_str())) {
    throw_last_error("SetEnvironmentVariableW");
  }
}

scoped_environment_variable::~scoped_environment_variable() {
  ::SetEnvironmentVariableW(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
}

scoped_wine_drive::scoped_wine_drive(wchar_t letter, const fs::path& folder) : letter_(letter) {
  if (!running_under_wine()) {
    throw std::runtime_error("only Wine lets a test map a drive letter");
  }
  define_wine_drive(letter_, unix_path_of(folder));
}

scoped_wine_drive::~scoped_wine_drive() {
  try {
    define_wine_drive(letter_, {});
  } catch (const std::exception&) {
    // Left mapped to a removed folder, the letter is no fixed drive.
  }
}

program_run run_and_dismiss(const fs::path& executable, const fs::path& working_folder,
                            std::chrono::milliseconds timeout) {
  gui_program program(executable, working_folder);
  program_run run;
  if (const std::optional<message_box> box = program.wait_for_message_box(timeout)) {
    run.box_shown = true;
    run.caption = box->caption;
    run.text = box->text;
    press(box->window, IDOK);
  }
  run.exit_code = program.wait_for_exit(timeout);
  return run;
}

}  // namespace test_support

namespace test_support {

console_run run_console(const fs::path& executable, const std::vector<std::wstring>& arguments,
                        const fs::path& working_folder, std::chrono::milliseconds timeout) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherited, 0)) {
    throw_last_error("CreatePipe");
  }
  const unique_handle reader(read_end);
  unique_handle writer(write_end);
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  std::wstring command_line = L"\"" + executable.native() + L"\"";
  for (const std::wstring& argument : arguments) {
    command_line += L" \"" + argument + L"\"";
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.hStdInput = nullptr;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(executable.c_str(), command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, working_folder.c_str(), &startup, &process)) {
    throw_last_error("CreateProcessW");
  }
  const unique_handle owned_process(process.hProcess);
  const unique_handle thread(process.hThread);
  writer.reset();  // the pipe ends when the program's copy of it closes
  console_run run;
  std::array<char, 4096> buffer{};
  DWORD read = 0;
  while (::ReadFile(read_end, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
    run.output.append(buffer.data(), read);
  }
  if (::WaitForSingleObject(owned_process.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    ::TerminateProcess(owned_process.get(), 99);
    throw std::runtime_error("the program did not end in time");
  }
  ::GetExitCodeProcess(owned_process.get(), &run.exit_code);
  return run;
}

}  // namespace test_support
