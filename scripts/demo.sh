#!/usr/bin/env bash
# Builds Quenlo.exe and runs it on a demo installation in a throwaway Wine prefix.
#   scripts/demo.sh [FILE]   FILE (a Linux path) is handed to the program to be queued.
# With a display the window opens there for you. Without one the program runs on a virtual
# display; the script saves a screenshot, prints where it is and what was queued, and ends the
# program itself.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/demo-installation.sh"

install_packages
build_windows
build_native

new_prefix "$BUILD/wine/demo"
make_demo_installation
exe="$DEMO_APP_PATH\\Quenlo.exe"

args=()
if [ $# -gt 0 ]; then
  [ -e "$1" ] || die "no such file: $1"
  args=("$(winepath -w "$(realpath "$1")")")
fi

show_queues() {
  local entry fragment
  for entry in "${DEMO_USERS[@]}"; do
    fragment=${entry#*=}
    echo "queue of ${entry%%=*} ($DEMO_APP_PATH\\${fragment}Acc\\):"
    ls -l "$DEMO_APP_DIR/${fragment//\\//}Acc" | tail -n +2 | sed 's/^/  /'
  done
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  log "starting Quenlo.exe on $DISPLAY"
  (cd "$DEMO_APP_DIR" && wine "$exe" "${args[@]}") || true
  show_queues
  stop_wineserver
  exit 0
fi

# No display: run inside a virtual desktop on a virtual display, photograph it, end it.
trap 'stop_wineserver; stop_display' EXIT
ensure_display
shot="$BUILD/demo-screenshot.png"
rm -f "$shot"
(cd "$DEMO_APP_DIR" && exec wine explorer /desktop=demo,800x600 "$exe" "${args[@]}") >/dev/null 2>&1 &
program=$!
# Wait for the main window, or for the program to end by itself (Wine names its process after
# the .exe, apart from the desktop's explorer.exe).
started=
for i in $(seq 1 100); do
  xdotool search --name 'Tavlo Application Installer' >/dev/null 2>&1 && break
  if pgrep -x Quenlo.exe >/dev/null; then started=1; elif [ -n "$started" ] || [ "$i" -gt 25 ]; then break; fi
  sleep 0.2
done
sleep 1
desktop=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1 || true)
import -window "${desktop:-root}" "$shot"
echo "screenshot: $shot"
show_queues
kill "$program" 2>/dev/null || true
