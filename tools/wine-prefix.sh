#!/usr/bin/env bash
# Starts or stops the private Wine prefix that the tests and the demo use.
#   wine-prefix.sh start PREFIX   create the prefix once, start its server
#   wine-prefix.sh stop PREFIX    stop that prefix's server and services
#
# Everything Wine starts here is detached from our stdout and stderr: the
# server and services outlive this script, and a caller reading our output
# through a pipe (ctest does) would otherwise never see it end.
set -euo pipefail

action=${1:?usage: wine-prefix.sh start|stop PREFIX}
export WINEPREFIX=${2:?usage: wine-prefix.sh start|stop PREFIX}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko prompts
log="$WINEPREFIX.log"

case "$action" in
  start)
    mkdir -p "$WINEPREFIX"
    if ! grep -q '^"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
      # The null display driver gives windows and message boxes without any
      # X server; tests find and dismiss the boxes through user32. Wine's
      # desktop picks its driver when it starts, so the new prefix's services
      # are stopped once the setting is in place.
      wine wineboot -i </dev/null >>"$log" 2>&1
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >>"$log" 2>&1
      wineserver -k </dev/null >>"$log" 2>&1 || true
      wineserver -w </dev/null >>"$log" 2>&1 || true
    fi
    # Fails harmlessly when the prefix's server is running already.
    wineserver -p </dev/null >>"$log" 2>&1 || true
    wine wineboot </dev/null >>"$log" 2>&1
    ;;
  stop)
    wineserver -k </dev/null >>"$log" 2>&1 || true
    ;;
  *)
    echo "usage: wine-prefix.sh start|stop PREFIX" >&2
    exit 2
    ;;
esac
