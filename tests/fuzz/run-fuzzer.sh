#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time:
#   run-fuzzer.sh FUZZER SEED_CORPUS WORK_FOLDER SECONDS
# The seed corpus is copied into WORK_FOLDER/corpus, which grows from run to
# run; the seeds themselves are never written to. Crashing inputs land in
# WORK_FOLDER/artifacts. Exits non-zero on any finding.
set -euo pipefail
# A command that stops the check says so.
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND exited with $?, expected 0" >&2' ERR
fuzzer=$1 seeds=$2 work=$3 seconds=$4

mkdir -p "$work/corpus" "$work/artifacts"
cp -R "$seeds/." "$work/corpus/"

# Inputs larger than any real manifest or configuration add nothing but time.
status=0
touch "$work/started"
"$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" || status=$?
if [ "$status" -ne 0 ]; then
  echo "FAIL: expected $(basename "$fuzzer") to end after ${seconds}s with no finding (exit 0)," \
    "it exited with $status; inputs it kept:" $(find "$work/artifacts" -type f -newer "$work/started") >&2
  exit "$status"
fi
