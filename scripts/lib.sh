# Shared pieces of the set-up, demo and test scripts. Sourced, not run.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${QUENLO_BUILD:-$ROOT/build}
JOBS=$(nproc 2>/dev/null || echo 2)

log() { printf '== %s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Debian packages the builds, the tests and the demo need. wine32 is the 32-bit half of Wine
# that runs Quenlo.exe; it needs the i386 architecture.
PACKAGES=(
  cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev
  g++-mingw-w64-i686-posix
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick x11-utils
  mdbtools
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else die "need root or sudo to run: $*"
  fi
}

install_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_native() {
  log "native build (AddressSanitizer + UndefinedBehaviorSanitizer)"
  cmake -S "$ROOT" -B "$BUILD/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENLO_SANITIZE=ON >/dev/null
  cmake --build "$BUILD/native" -j "$JOBS" >/dev/null || cmake --build "$BUILD/native" -j1
}

build_fuzz() {
  log "fuzz build (clang, libFuzzer)"
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENLO_FUZZ=ON >/dev/null
  cmake --build "$BUILD/fuzz" -j "$JOBS" --target jet_reader_fuzz >/dev/null || cmake --build "$BUILD/fuzz" -j1 --target jet_reader_fuzz
}

build_windows() {
  log "Windows build (MinGW-w64 i686)"
  cmake -S "$ROOT" -B "$BUILD/windows" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$BUILD/windows" -j "$JOBS" >/dev/null || cmake --build "$BUILD/windows" -j1
}

# Wine, always in a prefix of our own under the build folder: the user's ~/.wine is never used.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win32

# new_prefix DIR: a fresh 32-bit prefix, its wineserver kept running for quick starts.
new_prefix() {
  export WINEPREFIX=$1
  [ -d "$WINEPREFIX" ] && { wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"; }
  mkdir -p "$(dirname "$WINEPREFIX")"
  log "new Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || die "wineboot failed in $WINEPREFIX"
  start_wineserver
}

# A persistent server makes every later wine start quick. Its output goes nowhere, so that it
# holds no pipe of ours; then one throwaway command starts the helper processes (services,
# desktop) now, so that they are not started by a test and do not inherit the test's pipes.
start_wineserver() {
  wineserver -p >/dev/null 2>&1 </dev/null &
  sleep 0.5
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

stop_wineserver() { [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true; }

# Starts a virtual X display when none is set.
XVFB_PID=
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local fifo; fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
  XVFB_PID=$!
  local n; read -r -t 20 n <"$fifo" || die "Xvfb did not start"
  rm -f "$fifo"
  export DISPLAY=":$n"
  log "virtual display $DISPLAY"
}

stop_display() { [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true; }
