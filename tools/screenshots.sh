#!/usr/bin/env bash
# Renders the installer's three message boxes (installed, game running, game
# not found) for real, with Wine's X11 driver on a virtual X server, and saves
# each box, cropped to the box with its title bar, as
#   docs/images/message-installed.png
#   docs/images/message-game-running.png
#   docs/images/message-not-found.png
# Installs what is missing and builds what it needs first. Works in a Wine
# prefix of its own, build/screenshots/prefix, with Wine's virtual desktop
# switched on, so that Wine draws the title bars itself (there is no window
# manager); its log goes to build/screenshots/wine.log.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/install-deps.sh
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows --target patch_installer stand_in_game >/dev/null

work="$root/build/screenshots"
images="$root/docs/images"
log="$work/wine.log"
mkdir -p "$work" "$images"
: >"$log"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WAYLAND_DISPLAY

# --- A small Windows helper that runs beside the installer in the prefix ----
# Wine sizes a message box by its text alone and cuts a longer caption, where
# Windows widens the box until the caption fits; the helper does what Windows
# does (the box and its button stay centred). It also activates the box: in a
# virtual desktop without X input focus Wine leaves it drawn as inactive.
cat >"$work/boxshot.c" <<'EOF'
/* boxshot wait-process NAME  wait (10 s at most) until a process NAME runs
 * boxshot show               wait (20 s at most) for a message box, lay it
 *                            out as Windows does, activate it and print its
 *                            rectangle "W H X Y", its caption and its text
 * boxshot close              press the message box's OK button */
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>

enum { text_id = 0xffff };
static HWND found;

static BOOL CALLBACK find_box(HWND hwnd, LPARAM unused) {
  wchar_t cls[64];
  (void)unused;
  if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 64) && wcscmp(cls, L"#32770") == 0 &&
      GetDlgItem(hwnd, IDOK) && GetDlgItem(hwnd, text_id)) {
    found = hwnd;
    return FALSE;
  }
  return TRUE;
}

static HWND wait_for_box(void) {
  for (int i = 0; i < 400; ++i) {
    found = NULL;
    EnumWindows(find_box, 0);
    if (found) return found;
    Sleep(50);
  }
  return NULL;
}

static int process_runs(const wchar_t *name) {
  PROCESSENTRY32W entry = {.dwSize = sizeof entry};
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  int runs = 0;
  if (snap == INVALID_HANDLE_VALUE) return 0;
  for (BOOL ok = Process32FirstW(snap, &entry); ok && !runs; ok = Process32NextW(snap, &entry))
    runs = wcscmp(entry.szExeFile, name) == 0;
  CloseHandle(snap);
  return runs;
}

static void widen_for_caption(HWND box) {
  NONCLIENTMETRICSW metrics = {.cbSize = sizeof metrics};
  wchar_t caption[512];
  RECT window, client;
  SIZE text = {0};
  int length = GetWindowTextW(box, caption, 512);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  HDC dc = GetDC(box);
  HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextExtentPoint32W(dc, caption, length, &text);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(box, dc);

  GetWindowRect(box, &window);
  GetClientRect(box, &client);
  int width = window.right - window.left;
  /* The frame, the caption text, the close button and a little room. */
  int needed = (width - client.right) + text.cx + metrics.iCaptionWidth +
               2 * GetSystemMetrics(SM_CXEDGE) + 12;
  if (needed <= width) return;
  int grow = needed - width;
  SetWindowPos(box, NULL, window.left - grow / 2, window.top, needed, window.bottom - window.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND button = FindWindowExW(box, NULL, L"Button", NULL); button;
       button = FindWindowExW(box, button, L"Button", NULL)) {
    RECT r;
    GetWindowRect(button, &r);
    MapWindowPoints(NULL, box, (POINT *)&r, 2);
    SetWindowPos(button, NULL, r.left + grow / 2, r.top, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

int wmain(int argc, wchar_t **argv) {
  if (argc == 3 && wcscmp(argv[1], L"wait-process") == 0) {
    for (int i = 0; i < 200; ++i) {
      if (process_runs(argv[2])) return 0;
      Sleep(50);
    }
    fwprintf(stderr, L"boxshot: %ls did not start\n", argv[2]);
    return 1;
  }
  if (argc == 2 && (wcscmp(argv[1], L"show") == 0 || wcscmp(argv[1], L"close") == 0)) {
    HWND box = wait_for_box();
    if (!box) {
      fwprintf(stderr, L"boxshot: no message box appeared\n");
      return 1;
    }
    if (wcscmp(argv[1], L"close") == 0) {
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    widen_for_caption(box);
    SetForegroundWindow(box);
    SendMessageW(box, WM_NCACTIVATE, TRUE, 0);
    RedrawWindow(box, NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    wchar_t caption[512], text[1024];
    RECT r;
    GetWindowTextW(box, caption, 512);
    GetDlgItemTextW(box, text_id, text, 1024);
    GetWindowRect(box, &r);
    printf("%ld %ld %ld %ld\n%ls\n%ls\n", r.right - r.left, r.bottom - r.top, r.left, r.top,
           caption, text);
    return 0;
  }
  fwprintf(stderr, L"usage: boxshot wait-process NAME | show | close\n");
  return 2;
}
EOF
x86_64-w64-mingw32-gcc-posix -std=c11 -O2 -Wall -Wextra -municode -s \
  -o "$work/boxshot.exe" "$work/boxshot.c" -lgdi32

# --- A virtual X server on a free display ------------------------------------
xvfb_pid=
cleanup() {
  wineserver -k </dev/null >>"$log" 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

rm -f "$work/display"
# Xvfb picks the first free display number itself and writes it once it
# accepts clients.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp \
  3>"$work/display" </dev/null >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(tr -dc 0-9 <"$work/display")"
export DISPLAY

# --- The prefix: made once, with X11, a virtual desktop and Wine's fonts -----
wine_quiet() { wine "$@" </dev/null >>"$log" 2>&1; }
wineserver -k </dev/null >>"$log" 2>&1 || true   # a server left by a broken run
wineserver -w </dev/null >>"$log" 2>&1 || true
if [ ! -f "$WINEPREFIX/.screenshots-prefix" ]; then
  rm -rf "$WINEPREFIX"
  wine_quiet wineboot -i
  wine_quiet reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f
  wine_quiet reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  wine_quiet reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 640x360 /f
  # Wine picks its driver and desktop when its server starts.
  wineserver -k </dev/null >>"$log" 2>&1 || true
  wineserver -w </dev/null >>"$log" 2>&1 || true
  touch "$WINEPREFIX/.screenshots-prefix"
fi
# Debian's Wine does not load the fonts of fonts-wine (Tahoma, Marlett for the
# close button) by itself; in the prefix's Fonts folder it does.
cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
# Started first and detached from our output: the server, services and the
# desktop it starts live on after this command.
wine_quiet wineboot

# The patch as shipped, the made-up game and a stand-in for its running exe.
patch="$work/patch"
rm -rf "$patch" "$work/game"
mkdir -p "$patch" "$work/game" "$WINEPREFIX/drive_c/Games/Starfall Tactics"
cp build/windows/bin/patch_installer.exe "$patch/"
cp -r examples/demo-patch/archives "$patch/"
cp build/windows/bin/stand_in_game.exe "$work/game/StarfallTactics.exe"
# Started by a double-click, the installer runs in its own folder, where it
# leaves the log of its Steam search.
cd "$patch"

# shot NAME EXIT_CODE TEXT: runs the installer, waits for its message box,
# saves the box as docs/images/message-NAME.png, presses OK and checks the
# message text and the exit code.
shot() {
  local name=$1 expected_code=$2 expected_text=$3 installer_pid code=0 w h x y caption text
  wine "$patch/patch_installer.exe" </dev/null >>"$log" 2>&1 &
  installer_pid=$!
  wine "$work/boxshot.exe" show </dev/null >"$work/box.txt" 2>>"$log"
  { read -r w h x y; IFS= read -r caption; IFS= read -r text; } < <(tr -d '\r' <"$work/box.txt")
  if [ "$text" != "$expected_text" ]; then
    echo "$name: the message box says '$text', expected '$expected_text'" >&2
    exit 1
  fi
  sleep 0.5   # Wine's drawing reaches the X server
  import -window root "$work/screen-$name.png"
  convert "$work/screen-$name.png" -crop "${w}x${h}+${x}+${y}" +repage -strip \
    -define png:exclude-chunks=date,time "$images/message-$name.png"
  if [ "$(convert "$images/message-$name.png" -format '%[fx:standard_deviation>0]' info:)" != 1 ]; then
    echo "$name: the picture is blank" >&2
    exit 1
  fi
  wine "$work/boxshot.exe" close </dev/null >>"$log" 2>&1
  wait "$installer_pid" || code=$?
  if [ "$code" != "$expected_code" ]; then
    echo "$name: the installer exited with $code, expected $expected_code" >&2
    exit 1
  fi
  echo "docs/images/message-$name.png: ${w}x${h}, caption '${caption}'"
}

wine_quiet reg add 'HKCU\Software\Mirelune\Starfall Tactics' /v InstallPath \
  /d 'C:\Games\Starfall Tactics' /f
shot installed 0 "Patch installed. Have fun ;)"

wine_quiet reg delete 'HKCU\Software\Mirelune\Starfall Tactics' /f
wine_quiet reg delete 'HKCU\Software\Valve\Steam' /v SteamPath /f || true
shot not-found 2 "This patch requires Starfall Tactics. Please install it first."

wine_quiet reg add 'HKCU\Software\Mirelune\Starfall Tactics' /v InstallPath \
  /d 'C:\Games\Starfall Tactics' /f
wine "$work/game/StarfallTactics.exe" </dev/null >>"$log" 2>&1 &
game_pid=$!
wine "$work/boxshot.exe" wait-process StarfallTactics.exe </dev/null >>"$log" 2>&1
shot game-running 1 "Please close Starfall Tactics before installing the patch."
kill "$game_pid" 2>/dev/null || true
wait "$game_pid" 2>/dev/null || true
