#!/usr/bin/env bash
# Whole-run benchmark of the installer under Wine: times complete runs of
# patch_installer.exe on a generated patch of 2,000 files (200 MiB) against
# bare_copy.exe, which makes only the installer's one shell copy of the same
# lists, and prints medians, extremes and the ratio of the two, in four cases:
#   new      into an empty game folder: every file is new;
#   replace  into a game folder that already holds every patch file: the
#            installer moves each aside and copies, the bare copy overwrites
#            in place, and a second bare copy (--move-aside) first renames
#            each game file aside, as any copy that can be undone must;
#   sealed   into an empty game folder, with the patch sealed by a checksum
#            file (config.json's "checksums"): the installer checks every
#            file's SHA-256 first (the sealed patch is a copy of the patch
#            made of hard links, with a config.json and SHA256SUMS of its own);
#   kept     as replace, with config.json's "keep_originals": the replaced
#            files are kept for taking the patch off again (a copy of the
#            patch made of hard links, with a config.json of its own); its
#            ratio to the replace case's installer is what keeping costs.
#
# Everything lives in build/bench-install: an optimised build of its own
# (so that it never races a build in build/windows), the patch beside a copy
# of each program, and a private Wine prefix in which the made-up game is
# registered. The patch is generated once from a fixed seed and kept.
#
# Each run starts from its case's game folder, with the patch in the page
# cache (both programs have one untimed run first) and nothing left to write
# back. The two programs take turns, in the order A B B A A B ..., and the
# cases alternate, so that drift on a busy machine falls on all. timed_run.exe measures inside Wine, from
# CreateProcessW to the end of the process, and presses OK on the installer's
# closing message box as soon as it appears.
#   BENCH_RUNS=N tools/bench-install.sh   (N timed runs of each; default 7)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

runs=${BENCH_RUNS:-7}
file_count=2000
total_bytes=$((200 * 1024 * 1024))
seed=1729
bench=$root/build/bench-install
build=$bench/windows
game_name="Tidewater Keep"

tools/build-windows.sh "$build" patch_installer bare_copy timed_run make_bench_patch

export WINEPREFIX=$bench/prefix WINEDEBUG=-all
tools/wine-prefix.sh start "$WINEPREFIX"
trap 'tools/wine-prefix.sh stop "$WINEPREFIX"' EXIT

windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

make_patch() {
  # The generator's source is part of the stamp: a changed generator means a
  # different patch.
  local stamp
  stamp="seed $seed, $file_count files, $total_bytes bytes, generator $(sha1sum <bench/install/make_bench_patch.cpp | cut -c1-12)"
  if [ "$(cat "$bench/patch.stamp" 2>/dev/null)" != "$stamp" ]; then
    echo "== Generating the patch ($stamp)"
    rm -rf "$bench/archives" "$bench/patch.stamp"
    wine "$build/bin/make_bench_patch.exe" "$(windows_path "$bench/archives")" \
      "$file_count" "$total_bytes" "$seed" </dev/null
    echo "$stamp" >"$bench/patch.stamp"
  fi
  cat >"$bench/archives/config.json" <<JSON
{
  "game_name": "$game_name",
  "process_name": "TidewaterKeep.exe",
  "data_directory": "Data",
  "registry_key": "$game_name",
  "steam_id": "2718280"
}
JSON
  cp "$build/bin/patch_installer.exe" "$build/bin/bare_copy.exe" "$bench/"
  rm -rf "$bench/sealed"
  mkdir -p "$bench/sealed"
  cp -al "$bench/archives" "$bench/sealed/archives"
  rm "$bench/sealed/archives/config.json"
  sed 's/^{$/{\n  "checksums": "SHA256SUMS",/' "$bench/archives/config.json" >"$bench/sealed/archives/config.json"
  (cd "$bench/sealed/archives" && find . -type f ! -name config.json -printf '%P\n' | LC_ALL=C sort |
    xargs -d '\n' sha256sum >"$bench/sealed/SHA256SUMS")
  mv "$bench/sealed/SHA256SUMS" "$bench/sealed/archives/"
  cp "$build/bin/patch_installer.exe" "$bench/sealed/"
  rm -rf "$bench/kept"
  mkdir -p "$bench/kept"
  cp -al "$bench/archives" "$bench/kept/archives"
  rm "$bench/kept/archives/config.json"
  sed 's/^{$/{\n  "keep_originals": true,/' "$bench/archives/config.json" >"$bench/kept/archives/config.json"
  cp "$build/bin/patch_installer.exe" "$bench/kept/"
}

# The made-up game, installed (empty) in the prefix's C: drive.
game=$WINEPREFIX/drive_c/Games/$game_name
game_windows="C:\\Games\\$game_name"
register_game() {
  wine reg add "HKCU\\Software\\Mirelune\\$game_name" /v InstallPath /d "$game_windows" /f \
    </dev/null >/dev/null 2>&1
}

# The patch files in a folder, the kept originals left out.
tree_size() {
  find "$1" -path "$1/.patch-backup" -prune -o -type f ! -name config.json -printf '%s\n' |
    awk '{n++; s+=$1} END {printf "%d %d\n", n, s}'
}

# The game folder of case $1 (new: empty; replace: holding every patch file
# already), and the previous run's writes on disk rather than being written
# back during the next run.
prepare_game_folder() {
  rm -rf "$game" "$game aside"
  mkdir -p "$game"
  if [ "$1" = replace ] || [ "$1" = kept ]; then
    cp -r "$bench/archives/." "$game/"
    rm "$game/config.json"
  fi
  sync
}

installer_command=("$(windows_path "$bench/patch_installer.exe")" "$(windows_path "$bench")")
sealed_installer_command=("$(windows_path "$bench/sealed/patch_installer.exe")" "$(windows_path "$bench/sealed")")
kept_installer_command=("$(windows_path "$bench/kept/patch_installer.exe")" "$(windows_path "$bench/kept")")
bare_command=("$(windows_path "$bench/bare_copy.exe")" "$(windows_path "$bench")"
  "$(windows_path "$bench/archives")" "$game_windows")
aside_command=("${bare_command[0]}" "${bare_command[1]}" --move-aside "${bare_command[@]:2}")

# The figure named $1 in timed_run.exe's output $2.
field() { awk -v key="$1" '$1 == key { sub(/^[^ ]+ ?/, ""); print }' <<<"$2"; }

# Runs one program (installer, bare or aside) in case $2, checks its outcome and the
# files that arrived, and prints "case program elapsed box process".
run_once() {
  local program=$1 case=$2 output expected_box=""
  local name=${program}_command
  if [ "$program" = installer ] && [ "$case" = sealed ]; then name=sealed_installer_command; fi
  if [ "$program" = installer ] && [ "$case" = kept ]; then name=kept_installer_command; fi
  local -n command=$name
  if [ "$program" = installer ]; then expected_box="Patch installed. Have fun ;)"; fi
  prepare_game_folder "$case"
  output=$(wine "$build/bin/timed_run.exe" "${command[@]}" </dev/null | tr -d '\r') || true
  if [ "$(field exit_code "$output")" != 0 ] || [ "$(field box_text "$output")" != "$expected_box" ]; then
    echo "$program run ($case) failed:" >&2
    echo "$output" >&2
    exit 1
  fi
  if [ "$(tree_size "$game")" != "$expected" ]; then
    echo "$program run ($case) left $(tree_size "$game") (files bytes) in the game folder, expected $expected" >&2
    exit 1
  fi
  echo "$case $program $(field elapsed_ms "$output") $(field box_ms "$output") $(field process_ms "$output")"
}

make_patch
register_game
expected=$(tree_size "$bench/archives")
echo "== Patch: $expected (files bytes) in $bench/archives"
echo "== Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(nproc) cores, $(wine --version)"

echo "== Warm-up (untimed): one run of each"
find "$bench/archives" -type f -exec cat {} + >/dev/null
run_once installer new >/dev/null
run_once bare new >/dev/null
run_once installer sealed >/dev/null

results=$bench/results.txt
echo "# case program elapsed_ms box_ms process_ms" >"$results"
echo "== $runs timed runs of each program in each case (ms)"
for ((run = 1; run <= runs; run++)); do
  order=(installer bare)
  if ((run % 2 == 0)); then order=(bare installer); fi
  for case in new replace sealed kept; do
    for program in "${order[@]}"; do
      run_once "$program" "$case" | tee -a "$results"
    done
    if [ "$case" = replace ]; then run_once aside replace | tee -a "$results"; fi
  done
done

# Median, minimum and maximum of the numbers on standard input.
summarize() {
  sort -g | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                                      printf "%.1f %.1f %.1f\n", m, v[1], v[NR] }'
}
# Column $3 of the results file, for case $1 and program $2.
column_of() { awk -v case="$1" -v program="$2" -v column="$3" '$1 == case && $2 == program { print $column }' "$results"; }

echo
echo "== Summary: $runs runs each, ms from CreateProcessW"
printf '%-8s %-34s %9s %9s %9s\n' case "" median min max
for case in new replace sealed kept; do
  read -r inst_med inst_min inst_max < <(column_of "$case" installer 3 | summarize)
  read -r box_med box_min box_max < <(column_of "$case" installer 4 | summarize)
  read -r bare_med bare_min bare_max < <(column_of "$case" bare 3 | summarize)
  printf '%-8s %-34s %9s %9s %9s\n' "$case" "installer, to its box" "$box_med" "$box_min" "$box_max"
  printf '%-8s %-34s %9s %9s %9s\n' "$case" "installer, to the end of the process" "$inst_med" "$inst_min" "$inst_max"
  printf '%-8s %-34s %9s %9s %9s\n' "$case" "bare copy, to the end of the process" "$bare_med" "$bare_min" "$bare_max"
  target=1.05
  if [ "$case" = sealed ]; then target=1.10; fi
  awk -v c="$case" -v a="$box_med" -v b="$bare_med" -v ma="$box_min" -v mb="$bare_min" -v t="$target" 'BEGIN {
    printf "%-8s ratio installer to its box / bare copy: medians %.3f (target at most %s), minima %.3f\n",
           c, a / b, t, ma / mb }'
  if [ "$case" = replace ]; then
    read -r aside_med aside_min aside_max < <(column_of replace aside 3 | summarize)
    printf '%-8s %-34s %9s %9s %9s\n' "$case" "bare copy moving aside first" "$aside_med" "$aside_min" "$aside_max"
    awk -v a="$box_med" -v b="$aside_med" -v c="$bare_med" 'BEGIN {
      printf "replace  ratio bare copy moving aside / bare copy: medians %.3f; installer / bare copy moving aside: %.3f\n",
             b / c, a / b }'
  fi
done
read -r kept_box _ < <(column_of kept installer 4 | summarize)
read -r replace_box _ < <(column_of replace installer 4 | summarize)
awk -v a="$kept_box" -v b="$replace_box" 'BEGIN {
  printf "kept     ratio to the replace case'"'"'s installer, to its box: medians %.3f\n", a / b }'
echo "raw figures: $results"
