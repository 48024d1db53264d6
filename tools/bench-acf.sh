#!/usr/bin/env bash
# Measures the key-value parser (parse_acf) on a generated libraryfolders.vdf
# of about 33 MB: throughput and peak memory, from memory and from the file,
# in an optimised build without sanitizers (build/bench). Then, for
# comparison, general-purpose VDF parsers from the npm registry on the same
# document, installed into build/bench/npm (skipped if npm cannot install).
# Each measurement runs in a process of its own, so its peak memory is its own.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=build/bench

tools/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" --target acf_benchmark make_libraryfolders

document=$build/libraryfolders-large.vdf
small=$build/libraryfolders-small.vdf
"$build/bin/make_libraryfolders" "$document" 4000 280
"$build/bin/make_libraryfolders" "$small" 4 280
echo "document: $document, $(stat -c %s "$document") bytes"
echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(nproc) cores"

run() {
  "$build/bin/acf_benchmark" --benchmark_min_time=3 --benchmark_filter="$1" "$2" 2>/dev/null | grep -E '^(parse_acf|copy_document)' 
}
echo
echo "== parse_acf on the large document (default allocator settings)"
run memory "$document"
run file "$document"
echo
echo "== of which the copy parse_acf returns (copying the document, destroying the copy)"
run copy "$document"
echo
# glibc returns the freed trees to the system between runs, and the next run
# pays for faulting the pages in again; these runs keep them.
echo "== parse_acf on the large document, heap kept between runs and on huge pages"
kept_heap=glibc.malloc.trim_threshold=4294967295:glibc.malloc.hugetlb=1
GLIBC_TUNABLES=$kept_heap run memory "$document"
GLIBC_TUNABLES=$kept_heap run file "$document"
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
  NODE_PATH=$npm_folder/node_modules node tests/acf/benchmark/npm_compare.js "$module" "$document" ||
    echo "$module: failed"
done
