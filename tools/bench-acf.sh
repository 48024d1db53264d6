#!/usr/bin/env bash
# Measures the key-value parser (parse_acf) on a generated libraryfolders.vdf
# of about 33 MB: throughput and peak memory, from memory and from the file,
# in an optimised build without sanitizers (build/bench); then the floor that
# the document model sets (its map operations and the returned copy, without
# parsing), on glibc's heap and on a heap that costs nothing. Then, for
# comparison, general-purpose VDF parsers from the npm registry on the same
# document, installed into build/bench/npm (skipped if npm cannot install).
# Each measurement runs in a process of its own, so its peak memory is its own.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=build/bench

tools/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" --target acf_benchmark acf_benchmark_free_heap make_libraryfolders

document=$build/libraryfolders-large.vdf
small=$build/libraryfolders-small.vdf
"$build/bin/make_libraryfolders" "$document" 4000 280
"$build/bin/make_libraryfolders" "$small" 4 280
echo "document: $document, $(stat -c %s "$document") bytes"
echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(nproc) cores"

# run BENCHMARK DOCUMENT [BINARY]
run() {
  "$build/bin/${3:-acf_benchmark}" --benchmark_min_time=3 --benchmark_filter="$1" "$2" 2>/dev/null |
    grep -E '^(parse_acf|copy_document|model_floor)'
}
echo
echo "== parse_acf on the large document (glibc's heap)"
run memory "$document"
run file "$document"
echo
echo "== of which the copy parse_acf returns (copying the document, destroying the copy)"
run copy "$document"
echo
echo "== the floor: the same pairs stored with the parser's map operations, copied and destroyed, no parsing"
run model_floor "$document"
echo
echo "== the same on a heap that costs nothing (allocation free, blocks laid out in order)"
for case in memory file copy model_floor; do
  run "$case" "$document" acf_benchmark_free_heap
done
echo
echo "== parse_acf on a 33 kB document of the same shape (stays in cache)"
run memory "$small"

echo
echo "== npm VDF parsers on the large document (for comparison)"
npm_folder=$build/npm
modules=(vdf @node-steam/vdf simple-vdf)
if ! command -v npm >/dev/null || ! npm install --prefix "$npm_folder" --no-save --no-audit --no-fund "${modules[@]}" >/dev/null 2>&1; then
  echo "skipped: npm could not install ${modules[*]}"
  exit 0
fi
for module in "${modules[@]}"; do
  NODE_PATH=$npm_folder/node_modules node bench/acf/npm_compare.js "$module" "$document" ||
    echo "$module: failed"
done
