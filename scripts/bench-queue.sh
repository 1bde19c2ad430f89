#!/usr/bin/env bash
# ListQueue under Wine on queue folders of 1,000 and 10,000 files, against a bare
# FindFirstFileA/FindNextFileA loop over the same folders in the same run.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
install_packages
build_windows

trap 'stop_wineserver' EXIT
new_prefix "$BUILD/wine/bench"
c="$WINEPREFIX/drive_c"
for n in 1000 10000; do
  mkdir -p "$c/queue$n"
  (cd "$c/queue$n" && for i in $(seq "$n"); do
     if [ $((i % 2)) -eq 0 ]; then echo x >"f$i.app"; else echo x >"f$i.tdb"; fi
   done)
done
wine "$BUILD/windows/tests/bench-windows/queue_bench.exe" 'C:\queue1000\' 'C:\queue10000\'
