#!/usr/bin/env bash
# Builds Tovi for Windows and runs it under Wine, in a virtual desktop with a
# task bar. With no X display it runs on a private Xvfb and saves screenshots.
#   ./run.sh [--scale PERCENT]   display scale of the run, 100 (the default) to 200
set -euo pipefail
. "$(dirname "$0")/scripts/common.sh"
cd "$TOVI_ROOT"

scale=100
if [ "${1:-}" = "--scale" ]; then
  scale=${2:-}
  shift 2 || true
fi
if ! [[ "$scale" =~ ^[0-9]+$ ]] || [ "$scale" -lt 100 ] || [ "$scale" -gt 200 ] || [ $# -gt 0 ]; then
  echo "usage: $0 [--scale PERCENT]   (PERCENT from 100 to 200, for example 125 or 150)" >&2
  exit 2
fi

ensure_packages "${TOVI_PACKAGES[@]}"
build_windows

export WINEPREFIX=$TOVI_ROOT/build/run-prefix
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX (once)..."
  make_prefix "$WINEPREFIX"
fi
# Wine takes its display scale from LogPixels, the DPI: 96 is 100 %.
set_display_dpi $((scale * 96 / 100))

shots=
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb
  shots=$TOVI_ROOT/build/screenshots
  mkdir -p "$shots"
  echo "No display: Tovi runs on the private display $DISPLAY."
  echo "A screenshot of its desktop is saved every 5 seconds in $shots (latest.png is the newest)."
  ( while sleep 5; do
      f=$shots/$(date +%H%M%S).png
      import -display "$DISPLAY" -window root "$f" 2>/dev/null && cp "$f" "$shots/latest.png"
    done ) &
  shot_pid=$!
  trap 'kill $shot_pid 2>/dev/null; stop_wine; stop_xvfb' EXIT
fi

echo "Display scale $scale % ($((scale * 96 / 100)) DPI)."
echo "Tovi is running: its eyes are at the bottom right of the Wine desktop. Right-click an eye for the menu."
cd build/windows/tovi
wine tovi.exe
