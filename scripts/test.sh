#!/usr/bin/env bash
# Builds both builds and runs every test: the native unit tests (with AddressSanitizer and
# UndefinedBehaviorSanitizer), then the Windows tests under Wine in a throwaway prefix on a
# virtual display. Ends with ctest's summary.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

install_packages
build_native
build_fuzz
build_windows

status=0
log "native tests"
(cd "$BUILD/native" && ctest --output-on-failure) || status=1
log "fuzzing the reader"
(cd "$BUILD/fuzz" && ctest -R jet_reader_fuzz --output-on-failure) || status=1

trap 'stop_wineserver; stop_display' EXIT
ensure_display
new_prefix "$BUILD/wine/tests"
log "Windows tests under Wine"
(cd "$BUILD/windows" && ctest --output-on-failure) || status=1
exit $status
