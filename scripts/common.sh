# Shared pieces of run.sh and test.sh: Debian packages, a private X display,
# and a Wine prefix of the run's own under the build tree.

TOVI_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# What building the Windows program and its release takes (git dates the zip), then what running it here takes.
TOVI_BUILD_PACKAGES=(cmake make python3 g++-mingw-w64-x86-64 git)
TOVI_PACKAGES=("${TOVI_BUILD_PACKAGES[@]}" g++ wine wine64 xvfb xdotool imagemagick fonts-ipafont-gothic)
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, no menu entries written into the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Starts Xvfb on a display number it chooses itself (so that runs started at
# the same moment cannot pick the same one) and exports DISPLAY.
start_xvfb() {
  local number_file i
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  TOVI_XVFB_PID=$!
  for i in $(seq 100); do
    if [ -s "$number_file" ]; then
      export DISPLAY=":$(tr -d '[:space:]' < "$number_file")"
      rm -f "$number_file"
      return 0
    fi
    kill -0 "$TOVI_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number_file"
  echo "could not start Xvfb" >&2
  return 1
}

stop_xvfb() {
  [ -n "${TOVI_XVFB_PID:-}" ] && kill "$TOVI_XVFB_PID" 2>/dev/null
  TOVI_XVFB_PID=
}

# Makes a fresh Wine prefix in which every program runs inside one virtual
# desktop named "shell", with Wine's task bar and notification area.
make_prefix() {
  export WINEPREFIX=$(realpath -m "$1")
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 800x600 /f >/dev/null 2>&1
  # A crash ends the program with a report on the console, not a dialog that waits forever.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Caption buttons draw their glyphs with Marlett, which a new prefix does not find by itself.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Wine's own interface fonts have no Japanese: let them borrow IPA P Gothic's glyphs.
  local font
  for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$font" \
      /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null 2>&1
  done
  # The dialogs ask for the Japanese system fonts by their Japanese names; the
  # names go through a UTF-16 file, since the command line would depend on the locale.
  local reg=$WINEPREFIX/japanese-fonts.reg
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
    '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' |
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } > "$reg"
  wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
  wineserver -w
}

# Sets the display scale of the prefix in WINEPREFIX (96 DPI is 100 %) for
# the programs started after it.
set_display_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -w
}

# Starts Wine's desktop with its task bar and holds it open until stop_wine.
# A program that starts the desktop itself waits 10 s for it and then makes
# no window at all; a new prefix's first desktop on a busy machine can take
# longer, so the holder (winprobe, given as the argument) tries again.
start_desktop() {
  local log i j
  log=$(mktemp)
  for i in 1 2 3; do
    wine "$1" hold 86400000 >"$log" 2>&1 &
    for j in $(seq 600); do
      if grep -q '"hold"' "$log"; then rm -f "$log"; return 0; fi
      kill -0 $! 2>/dev/null || break
      sleep 0.1
    done
  done
  rm -f "$log"
  echo "could not start Wine's desktop" >&2
  return 1
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  true
}

# Configures the Windows build and builds everything, or only the targets given.
build_windows() {
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake -S "$TOVI_ROOT" -B "$TOVI_ROOT/build/windows" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$TOVI_ROOT/cmake/mingw-w64.cmake" >/dev/null
  cmake --build "$TOVI_ROOT/build/windows" -j "$(nproc)" "${targets[@]}"
}
