#!/usr/bin/env bash
# Installs what is missing, builds the native and the Windows build, and runs
# every test tier: core (native), win (under Wine), e2e (tovi.exe under Wine).
set -uo pipefail
. "$(dirname "$0")/scripts/common.sh"
cd "$TOVI_ROOT"

ensure_packages "${TOVI_PACKAGES[@]}" libgtest-dev googletest python3-pytest python3-pil || exit 1

set -e
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$(nproc)"
build_windows
# The end-to-end tier unpacks the release zip.
build_windows package
set +e

reports=$TOVI_ROOT/build/reports
rm -rf "$reports"; mkdir -p "$reports"
failed_tiers=()
# A program that crashes under Wine may still end with 0: a tier counts as run
# only where its tests wrote their report, which gtest does at the very end.
report_written() { compgen -G "$reports/$1/*.xml" >/dev/null; }

echo "== core tests (native)"
GTEST_OUTPUT="xml:$reports/core/" ctest --test-dir build/native --output-on-failure \
  && report_written core || failed_tiers+=(core)

# The soak takes minutes of one CPU: it runs beside the other Wine tiers, on a
# display and in a prefix of its own, so that its icons stay off their task bar.
echo "== soak (under Wine, beside the tiers below)"
(
  start_xvfb || exit 1
  trap 'stop_wine; stop_xvfb' EXIT
  make_prefix "$TOVI_ROOT/build/wine-prefix-soak"
  export TOVI_WINEPREFIX=$WINEPREFIX
  start_desktop "$TOVI_ROOT/build/windows/tools/winprobe.exe" || exit 1
  GTEST_OUTPUT="xml:Z:$reports/soak/" ctest --test-dir build/windows -V -R soak
) >"$reports/soak.log" 2>&1 &
soak=$!

start_xvfb || exit 1
trap 'kill $soak 2>/dev/null; stop_wine; stop_xvfb' EXIT
make_prefix "$TOVI_ROOT/build/wine-prefix"
export TOVI_WINEPREFIX=$WINEPREFIX
start_desktop "$TOVI_ROOT/build/windows/tools/winprobe.exe" || exit 1

echo "== win tests (under Wine)"
GTEST_OUTPUT="xml:Z:$reports/win/" ctest --test-dir build/windows --output-on-failure -E soak \
  && report_written win || failed_tiers+=(win)

echo "== e2e tests (tovi.exe under Wine)"
/usr/bin/python3 -m pytest -q tests/e2e --junitxml="$reports/e2e.xml" \
  || failed_tiers+=(e2e)

# The cases marked for other display scales, each scale in a prefix of its own.
for dpi in 144 192; do
  echo "== e2e tests at $dpi DPI"
  stop_wine
  make_prefix "$TOVI_ROOT/build/wine-prefix-$dpi"
  set_display_dpi "$dpi"
  export TOVI_WINEPREFIX=$WINEPREFIX
  if start_desktop "$TOVI_ROOT/build/windows/tools/winprobe.exe"; then
    TOVI_DPI=$dpi /usr/bin/python3 -m pytest -q tests/e2e --junitxml="$reports/e2e-$dpi.xml" \
      || failed_tiers+=("e2e at $dpi DPI")
  else
    failed_tiers+=("e2e at $dpi DPI")
  fi
done

echo "== soak"
if wait $soak && report_written soak; then grep -a " soak: [0-9]" "$reports/soak.log"; else cat "$reports/soak.log"; failed_tiers+=(soak); fi

/usr/bin/python3 scripts/summarize.py "$reports" "${failed_tiers[@]}"
