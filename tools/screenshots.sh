#!/usr/bin/env bash
# Renders the installer's three message boxes (installed, game running, game
# not found), and, with "ask_for_folder", its folder picker and the box after
# a folder without the game, for real, with Wine's X11 driver on a virtual X
# server, and saves each window, cropped to the window with its title bar, as
#   docs/images/message-installed.png
#   docs/images/message-game-running.png
#   docs/images/message-not-found.png
#   docs/images/folder-picker.png
#   docs/images/message-wrong-folder.png
# and, for a patch sealed and tied to two versions of the game, the box after
# a folder of another version and the box after a file of the patch was
# lost:
#   docs/images/message-wrong-version.png
#   docs/images/message-damaged.png
# and the box of the demo patch in German, and the box of an installer
# double-clicked inside a zip that Explorer opened:
#   docs/images/message-installed-de.png
#   docs/images/message-in-zip.png
# and, for the demo patch with "keep_originals", the question of its second
# run and the box after Yes:
#   docs/images/message-remove-question.png
#   docs/images/message-removed.png
# Installs what is missing and builds what it needs first. Works in a Wine
# prefix of its own, build/screenshots/prefix, with Wine's virtual desktop
# switched on, so that Wine draws the title bars itself (there is no window
# manager); its log goes to build/screenshots/wine.log.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/build-windows.sh build/windows patch_installer stand_in_game >/dev/null

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
# does (the box and its button stay centred). It also activates the box or the
# picker: in a virtual desktop without X input focus Wine leaves it drawn as
# inactive. And it types a folder into the picker and presses its buttons.
x86_64-w64-mingw32-gcc-posix -std=c11 -O2 -Wall -Wextra -municode -s \
  -o "$work/boxshot.exe" tools/screenshots/boxshot.c -lgdi32

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
# What the prefix is made with; a prefix made otherwise is made again.
prefix_settings="x11, desktop 800x600, steady caret, own user folders"
if [ "$(cat "$WINEPREFIX/.screenshots-prefix" 2>/dev/null)" != "$prefix_settings" ]; then
  rm -rf "$WINEPREFIX"
  wine_quiet wineboot -i
  wine_quiet reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f
  wine_quiet reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  # Wine sizes the folder picker to the desktop: at 800x600 it is whole.
  wine_quiet reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f
  # The edit field's caret would blink between two captures.
  wine_quiet reg add 'HKCU\Control Panel\Desktop' /v CursorBlinkRate /d -1 /f
  # Wine links the user's Desktop, Documents and the like to $HOME, whose
  # files the picker would show; empty folders of the prefix's own instead.
  find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0 |
    while IFS= read -r -d '' link; do rm "$link" && mkdir "$link"; done
  # Wine picks its driver and desktop when its server starts.
  wineserver -k </dev/null >>"$log" 2>&1 || true
  wineserver -w </dev/null >>"$log" 2>&1 || true
  printf '%s\n' "$prefix_settings" >"$WINEPREFIX/.screenshots-prefix"
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

# capture FILE W H X Y: saves the screen's rectangle W x H at X,Y as
# docs/images/FILE.png.
capture() {
  local file=$1 w=$2 h=$3 x=$4 y=$5
  # Wine's drawing reaches the X server in pieces: capture until two
  # captures in a row agree.
  local previous="" current=""
  for _ in $(seq 1 30); do
    sleep 0.3
    import -window root "$work/screen-$file.png"
    convert "$work/screen-$file.png" -crop "${w}x${h}+${x}+${y}" +repage -strip \
      -define png:exclude-chunks=date,time "$images/$file.png"
    current=$(sha256sum <"$images/$file.png")
    [ "$current" = "$previous" ] && break
    previous=$current
  done
  if [ "$current" != "$previous" ]; then
    echo "$file: the picture did not settle" >&2
    exit 1
  fi
  if [ "$(convert "$images/$file.png" -format '%[fx:standard_deviation>0]' info:)" != 1 ]; then
    echo "$file: the picture is blank" >&2
    exit 1
  fi
}

# show_box NAME TEXT: waits for a message box that says TEXT and saves it as
# docs/images/message-NAME.png.
show_box() {
  local name=$1 expected_text=$2 w h x y caption text
  wine "$work/boxshot.exe" show </dev/null >"$work/box.txt" 2>>"$log" ||
    { echo "$name: no message box appeared (see $log)" >&2; exit 1; }
  { read -r w h x y; IFS= read -r caption; IFS= read -r text; } < <(tr -d '\r' <"$work/box.txt")
  if [ "$text" != "$expected_text" ]; then
    echo "$name: the message box says '$text', expected '$expected_text'" >&2
    exit 1
  fi
  capture "message-$name" "$w" "$h" "$x" "$y"
  echo "docs/images/message-$name.png: ${w}x${h}, caption '${caption}'"
}

# expect_exit NAME PID EXIT_CODE: waits (20 s at most) for the installer to
# end, which a further message box would keep it from, and checks its exit
# code.
expect_exit() {
  local name=$1 installer_pid=$2 expected_code=$3 code=0
  for _ in $(seq 200); do
    kill -0 "$installer_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$installer_pid" 2>/dev/null; then
    echo "$name: the installer did not end" >&2
    exit 1
  fi
  wait "$installer_pid" || code=$?
  if [ "$code" != "$expected_code" ]; then
    echo "$name: the installer exited with $code, expected $expected_code" >&2
    exit 1
  fi
}

# shot NAME EXIT_CODE TEXT: runs the installer, waits for its message box,
# saves the box as docs/images/message-NAME.png, presses OK and checks the
# message text and the exit code.
shot() {
  local name=$1 expected_code=$2 expected_text=$3 installer_pid
  wine "$patch/patch_installer.exe" </dev/null >>"$log" 2>&1 &
  installer_pid=$!
  show_box "$name" "$expected_text"
  wine "$work/boxshot.exe" close </dev/null >>"$log" 2>&1
  expect_exit "$name" "$installer_pid" "$expected_code"
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

# demo_patch DIR MEMBERS: the installer and the demo patch in DIR, with the
# JSON text MEMBERS added as the last members of its config.json.
demo_patch() {
  local dir=$1 members=$2
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$root/build/windows/bin/patch_installer.exe" "$dir/"
  cp -r "$root/examples/demo-patch/archives" "$dir/"
  {
    sed '$d' "$root"/examples/demo-patch/archives/config.json | sed '$ s/$/,/'
    printf '%s\n}\n' "$members"
  } >"$dir/archives/config.json"
}

# --- The folder picker, with "ask_for_folder" and nothing that knows the game
# The demo patch's config.json with "ask_for_folder": true added as its last
# member.
asking="$work/patch-asking"
demo_patch "$asking" '  "ask_for_folder": true'
cd "$asking"
wine_quiet reg delete 'HKCU\Software\Mirelune\Starfall Tactics' /f
title="Where is Starfall Tactics installed?"
wine "$asking/patch_installer.exe" </dev/null >>"$log" 2>&1 &
installer_pid=$!
wine "$work/boxshot.exe" window "$title" </dev/null >"$work/picker.txt" 2>>"$log" ||
  { echo "folder-picker: no window titled '$title' appeared (see $log)" >&2; exit 1; }
{ read -r w h x y; IFS= read -r caption; IFS= read -r ok_label; } < <(tr -d '\r' <"$work/picker.txt")
if [ "$caption" != "$title" ] || [ "$ok_label" != "Install patch here" ]; then
  echo "folder-picker: titled '$caption' with '$ok_label', expected '$title' with 'Install patch here'" >&2
  exit 1
fi
capture folder-picker "$w" "$h" "$x" "$y"
echo "docs/images/folder-picker.png: ${w}x${h}, title '${caption}', OK button '${ok_label}'"
# A folder without StarfallTactics.exe, then Cancel in the box that says so.
wine "$work/boxshot.exe" choose "$title" 'C:\users\Public\Documents' </dev/null >>"$log" 2>&1 ||
  { echo "folder-picker: choosing a folder failed (see $log)" >&2; exit 1; }
show_box wrong-folder \
  "StarfallTactics.exe is not in this folder. Please choose the folder where Starfall Tactics is installed."
wine "$work/boxshot.exe" cancel </dev/null >>"$log" 2>&1
expect_exit wrong-folder "$installer_pid" 2

# --- A sealed patch for two versions of the game --------------------------
# The demo patch with "checksums" and "game_versions" added, and its
# SHA256SUMS; the game on C: is version 1.3, which it does not know.
sealed="$work/patch-sealed"
steam_hash=$(printf 'Starfall Tactics 1.2 (Steam)' | sha256sum | cut -c1-64)
gog_hash=$(printf 'Starfall Tactics 1.2 (GOG)' | sha256sum | cut -c1-64)
demo_patch "$sealed" "  \"checksums\": \"SHA256SUMS\",
  \"game_versions\": [
    {\"name\": \"1.2 (Steam)\", \"files\": {\"StarfallTactics.exe\": \"$steam_hash\"}},
    {\"name\": \"1.2 (GOG)\", \"files\": {\"StarfallTactics.exe\": \"$gog_hash\"}}
  ]"
(cd "$sealed/archives" && find . -type f ! -name config.json -printf '%P\n' | LC_ALL=C sort |
  xargs -d '\n' sha256sum >"$work/SHA256SUMS")
mv "$work/SHA256SUMS" "$sealed/archives/"
printf 'Starfall Tactics 1.3' >"$WINEPREFIX/drive_c/Games/Starfall Tactics/StarfallTactics.exe"
wine_quiet reg add 'HKCU\Software\Mirelune\Starfall Tactics' /v InstallPath \
  /d 'C:\Games\Starfall Tactics' /f
cd "$sealed"
wine "$sealed/patch_installer.exe" </dev/null >>"$log" 2>&1 &
installer_pid=$!
show_box wrong-version "This patch is for Starfall Tactics 1.2 (Steam) or 1.2 (GOG). The game in \
C:\Games\Starfall Tactics is another version: StarfallTactics.exe is not the file of these versions."
wine "$work/boxshot.exe" close </dev/null >>"$log" 2>&1
expect_exit wrong-version "$installer_pid" 4

# The same patch with a file lost on the way, as an antivirus takes one.
rm "$sealed/archives/Data/balance.ini"
wine "$sealed/patch_installer.exe" </dev/null >>"$log" 2>&1 &
installer_pid=$!
show_box damaged "The patch is incomplete or damaged: archives\Data\balance.ini is missing."
wine "$work/boxshot.exe" close </dev/null >>"$log" 2>&1
expect_exit damaged "$installer_pid" 3
rm -f "$WINEPREFIX/drive_c/Games/Starfall Tactics/StarfallTactics.exe"

# --- The demo patch in German, and an installer opened inside a zip --------
german="$work/patch-german"
demo_patch "$german" '  "language": "de"'
cd "$german"
wine "$german/patch_installer.exe" </dev/null >>"$log" 2>&1 &
installer_pid=$!
show_box installed-de "Patch installiert. Viel Spaß ;)"
wine "$work/boxshot.exe" close </dev/null >>"$log" 2>&1
expect_exit installed-de "$installer_pid" 0

# Explorer shows a zip as a folder and runs a program in it from a copy in
# a folder of its own, Temp1_<zip name>, without the rest of the download.
in_zip="$WINEPREFIX/drive_c/users/Public/Temp1_starfall-patch.zip"
rm -rf "$in_zip"
mkdir -p "$in_zip"
cp "$root/build/windows/bin/patch_installer.exe" "$in_zip/"
cd "$in_zip"
wine "$in_zip/patch_installer.exe" </dev/null >>"$log" 2>&1 &
installer_pid=$!
show_box in-zip "The installer was started from inside a zip file, so its patch files are not beside it. \
Extract the whole download first, then run the installer from the extracted folder."
wine "$work/boxshot.exe" close </dev/null >>"$log" 2>&1
expect_exit in-zip "$installer_pid" 3
cd "$work"
rm -rf "$in_zip"

# --- The demo patch with keep_originals, run twice: Yes takes it off ------
keeping="$work/patch-keeping"
demo_patch "$keeping" '  "keep_originals": true,
  "patch_name": "Balance fix 1.1"'
cd "$keeping"
wine_quiet reg add 'HKCU\Software\Mirelune\Starfall Tactics' /v InstallPath \
  /d 'C:\Games\Starfall Tactics' /f
wine "$keeping/patch_installer.exe" </dev/null >>"$log" 2>&1 &
installer_pid=$!
wine "$work/boxshot.exe" close </dev/null >>"$log" 2>&1
expect_exit keeping "$installer_pid" 0
wine "$keeping/patch_installer.exe" </dev/null >>"$log" 2>&1 &
installer_pid=$!
show_box remove-question "Balance fix 1.1 is installed. Remove it and put back the game's original files?"
wine "$work/boxshot.exe" yes </dev/null >>"$log" 2>&1
show_box removed "The patch was removed. Starfall Tactics has its original files again."
wine "$work/boxshot.exe" close </dev/null >>"$log" 2>&1
expect_exit removed "$installer_pid" 5
cd "$work"
