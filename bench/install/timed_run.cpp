// Times one run of a program for the installer benchmark
// (tools/bench-install.sh): from just before CreateProcessW until the process
// has ended, with QueryPerformanceCounter inside Wine, so that starting Wine
// for this driver is not part of the figure. Like a player, it presses OK on
// the program's message box. It looks for one every millisecond whichever
// program runs: a box is dismissed about a millisecond after it appears, and
// both programs of the benchmark share the same polling cost.
//   timed_run.exe PROGRAM WORKING_FOLDER [ARGUMENT...]
// Prints one figure a line:
//   elapsed_ms  from CreateProcessW to the end of the process
//   box_ms      from CreateProcessW to the box being found, or - without one
//   process_ms  the process's lifetime by its own creation and exit times
//   exit_code   the program's exit code
//   box_text    the box's text on one line, if there was a box
// Exit code 0 when the program ran and ended, 1 otherwise.
#include "system/handle.hpp"

#include <windows.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace {

constexpr DWORD poll_interval_ms = 1;
constexpr double time_limit_ms = 10 * 60 * 1000.0;

class stopwatch {
 public:
  stopwatch() {
    ::QueryPerformanceFrequency(&frequency_);
    ::QueryPerformanceCounter(&start_);
  }
  double elapsed_ms() const {
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
           static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER start_{};
};

struct child_process {
  unique_handle process;
  unique_handle thread;
  DWORD thread_id = 0;
};

struct run_result {
  double elapsed_ms = 0;
  std::optional<double> box_ms;
  std::wstring box_text;
  double process_ms = 0;
  DWORD exit_code = 0;
};

// Quotes one argument so that CommandLineToArgvW and the C runtime split it
// back unchanged: backslashes are doubled only before a quote or the end.
void append_argument(std::wstring& line, std::wstring_view argument) {
  line += line.empty() ? L"\"" : L" \"";
  std::size_t backslashes = 0;
  for (const wchar_t character : argument) {
    if (character == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(character == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line += character;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
}

child_process start_process(const std::wstring& program, std::wstring command_line,
                            const std::wstring& working_folder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        working_folder.c_str(), &startup, &started)) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateProcessW");
  }
  return {unique_handle(started.hProcess), unique_handle(started.hThread), started.dwThreadId};
}

// A message box is a visible dialog of class "#32770" with its text in
// control 0xFFFF. Both programs show theirs, if any, from their first thread.
HWND find_message_box(DWORD thread_id) {
  HWND found = nullptr;
  ::EnumThreadWindows(
      thread_id,
      [](HWND window, LPARAM parameter) -> BOOL {
        std::array<wchar_t, 16> class_name{};
        ::GetClassNameW(window, class_name.data(), static_cast<int>(class_name.size()));
        if (std::wstring_view(class_name.data()) == L"#32770" && ::IsWindowVisible(window) &&
            ::GetDlgItem(window, 0xFFFF)) {
          *reinterpret_cast<HWND*>(parameter) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring one_line_box_text(HWND box) {
  std::array<wchar_t, 4096> buffer{};
  ::GetDlgItemTextW(box, 0xFFFF, buffer.data(), static_cast<int>(buffer.size()));
  std::wstring text = buffer.data();
  for (wchar_t& character : text) {
    if (character == L'\r' || character == L'\n') {
      character = L' ';
    }
  }
  return text;
}

double lifetime_ms(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  ::GetProcessTimes(process, &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& time) {
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
  };
  return (ticks(exited) - ticks(created)) / 10'000.0;  // 100 ns ticks
}

void dismiss_box_if_shown(const child_process& child, const stopwatch& clock, run_result& result) {
  if (result.box_ms) {
    return;
  }
  if (const HWND box = find_message_box(child.thread_id)) {
    result.box_ms = clock.elapsed_ms();
    result.box_text = one_line_box_text(box);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
}

run_result time_run(const std::wstring& program, const std::wstring& command_line,
                    const std::wstring& working_folder) {
  run_result result;
  const stopwatch clock;
  const child_process child = start_process(program, command_line, working_folder);
  while (::WaitForSingleObject(child.process.get(), poll_interval_ms) == WAIT_TIMEOUT) {
    dismiss_box_if_shown(child, clock, result);
    if (clock.elapsed_ms() > time_limit_ms) {
      ::TerminateProcess(child.process.get(), 99);
      throw std::runtime_error("the program did not end within ten minutes");
    }
  }
  result.elapsed_ms = clock.elapsed_ms();
  result.process_ms = lifetime_ms(child.process.get());
  ::GetExitCodeProcess(child.process.get(), &result.exit_code);
  return result;
}

void print_utf8(const std::wstring& text) {
  const std::u8string utf8 = std::filesystem::path(text).u8string();
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

void print_result(const run_result& result) {
  std::printf("elapsed_ms %.3f\n", result.elapsed_ms);
  if (result.box_ms) {
    std::printf("box_ms %.3f\n", *result.box_ms);
  } else {
    std::printf("box_ms -\n");
  }
  std::printf("process_ms %.3f\nexit_code %lu\n", result.process_ms, result.exit_code);
  if (result.box_ms) {
    print_utf8(L"box_text " + result.box_text + L"\n");
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: timed_run.exe PROGRAM WORKING_FOLDER [ARGUMENT...]\n", stderr);
    return 1;
  }
  std::wstring command_line;
  append_argument(command_line, argv[1]);
  for (int index = 3; index < argc; ++index) {
    append_argument(command_line, argv[index]);
  }
  try {
    print_result(time_run(argv[1], command_line, argv[2]));
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "timed_run: %s\n", error.what());
    return 1;
  }
}
