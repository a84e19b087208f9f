#!/bin/bash
# wine-env must know its own Xvfb: a tree whose xvfb.pid names a process that
# is not the Xvfb it started (a reused pid, or a file left by an older
# harness) neither stops that process nor takes it for its display server.
set -uo pipefail
WINE_ENV=$1
tree=$(mktemp -d)
sleep 60 &
foreign=$!
trap 'kill $foreign 2>/dev/null; rm -rf "$tree"' EXIT
mkdir -p "$tree/wine"
status=0

# A pid alone, as an older harness wrote it.
echo "$foreign" >"$tree/wine/xvfb.pid"
"$WINE_ENV" stop "$tree" >/dev/null 2>&1
kill -0 $foreign 2>/dev/null || { echo "FAIL: stop killed a process named by a bare pid"; status=1; }

# The right pid with another start time: the pid has been given again.
[ $status = 0 ] || exit 1
echo "$foreign 1" >"$tree/wine/xvfb.pid"
"$WINE_ENV" stop "$tree" >/dev/null 2>&1
kill -0 $foreign 2>/dev/null || { echo "FAIL: stop killed a process whose start time differs"; status=1; }

# The right pid and start time: that is the tree's own, and stop ends it.
[ $status = 0 ] || exit 1
stat=$(cat /proc/$foreign/stat)
read -ra fields <<<"${stat##*) }"
echo "$foreign ${fields[19]}" >"$tree/wine/xvfb.pid"
"$WINE_ENV" stop "$tree" >/dev/null 2>&1
for _ in $(seq 50); do kill -0 $foreign 2>/dev/null || break; sleep 0.1; done
kill -0 $foreign 2>/dev/null && { echo "FAIL: stop left the tree's own process running"; status=1; }

[ $status = 0 ] && echo "wine-env: own Xvfb recognised by pid and start time"
exit $status
