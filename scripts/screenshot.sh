#!/usr/bin/env bash
# Starts Korvel as a new user would (fresh preferences) on a virtual X screen,
# optionally plays real input with xdotool, and saves a screenshot.
#   scripts/screenshot.sh OUT.png [BUILD_DIR] [-- xdotool commands...]
# Each xdotool command is one argument, e.g. "key ctrl+n" or "mousemove 300 200 click 1";
# "shot OTHER.png" saves a screenshot at that point of the input as well.
set -euo pipefail
out=${1:?usage: scripts/screenshot.sh OUT.png [BUILD_DIR] [-- xdotool commands...]}
shift
build=build
if [[ $# -gt 0 && $1 != -- ]]; then build=$1; shift; fi
[[ $# -gt 0 && $1 == -- ]] && shift

display=:$((90 + RANDOM % 9))
config=$(mktemp -d)
Xvfb "$display" -screen 0 1400x920x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $korvel $xvfb 2>/dev/null || true; rm -rf "$config"' EXIT
sleep 1
XDG_CONFIG_HOME=$config DISPLAY=$display "$build/korvel" >/dev/null 2>&1 &
korvel=$!
sleep 3
for command in "$@"; do
  if [[ $command == shot\ * ]]; then
    sleep 1
    DISPLAY=$display import -window root "${command#shot }"
    echo "saved ${command#shot }"
    continue
  fi
  # shellcheck disable=SC2086
  DISPLAY=$display xdotool $command
  sleep 0.5
done
sleep 1
DISPLAY=$display import -window root "$out"
echo "saved $out"
