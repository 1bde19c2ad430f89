#!/usr/bin/env bash
# Profile database speed and memory, measured in one run on files written by makeprofile:
#   ours   = open + ListUserNames + FirstUser + 100 lookups (tests/bench/ProfileBench.cpp)
#   base   = mdb-json dumping the same UserData table
# Prints the best of several runs of each and the ratios that matter:
#   ours(10k) / mdb-json(10k)      should be at most 0.5
#   ours(100k) / ours(10k)         should be at most 12
#   peak memory(100k) / file size  should be below 3
set -euo pipefail
source "$(dirname "$0")/lib.sh"
install_packages

out="$BUILD/bench"
cmake -S "$ROOT" -B "$out" -DCMAKE_BUILD_TYPE=Release -DQUENLO_SANITIZE=OFF >/dev/null
cmake --build "$out" -j "$JOBS" --target profile_bench makeprofile >/dev/null
runs=${RUNS:-5}

make_profile() {  # FILE COUNT
  local list="$out/users-$2.txt"
  awk -v n="$2" 'BEGIN { for (i = 1; i <= n; i++) printf "User %06d\tU%06d\\\n", (i * 7919) % n, i }' >"$list"
  "$out/tools/makeprofile" "$1" --from "$list"
}

best_of() {  # prints the least wall time in seconds of $runs runs of the command
  local best= t
  for _ in $(seq "$runs"); do
    t=$( { /usr/bin/time -f '%e %M' "$@" >/dev/null 2>/dev/null; } 2>&1 | tail -n 1 | cut -d' ' -f1)
    best=$(awk -v a="${best:-$t}" -v b="$t" 'BEGIN { print (b < a ? b : a) }')
  done
  echo "$best"
}

ours() {  # FILE: best in-process seconds, and peak memory in KB
  local best= line s m peak=0
  for _ in $(seq "$runs"); do
    line=$("$out/tests/bench/profile_bench" "$1")
    s=$(sed 's/.*seconds=\([^ ]*\).*/\1/' <<<"$line")
    m=$(sed 's/.*maxrss_kb=\([^ ]*\).*/\1/' <<<"$line")
    best=$(awk -v a="${best:-$s}" -v b="$s" 'BEGIN { print (b < a ? b : a) }')
    [ "$m" -gt "$peak" ] && peak=$m
  done
  echo "$best $peak"
}

mdbjson() {  # FILE: best in-process-comparable seconds of a full dump
  local best= s
  for _ in $(seq "$runs"); do
    s=$( { TIMEFORMAT=%R; time mdb-json "$1" UserData >/dev/null; } 2>&1 )
    best=$(awk -v a="${best:-$s}" -v b="$s" 'BEGIN { print (b < a ? b : a) }')
  done
  echo "$best"
}

f10="$out/profile-10k.mdb"; f100="$out/profile-100k.mdb"
make_profile "$f10" 10000
make_profile "$f100" 100000

read -r ours10 mem10 < <(ours "$f10")
read -r ours100 mem100 < <(ours "$f100")
json10=$(mdbjson "$f10")
size100=$(stat -c %s "$f100")

printf 'ours      10k users: %8.4f s  peak %6d KB\n' "$ours10" "$mem10"
printf 'ours     100k users: %8.4f s  peak %6d KB  (file %d KB)\n' "$ours100" "$mem100" $((size100 / 1024))
printf 'mdb-json  10k users: %8.4f s\n' "$json10"
awk -v a="$ours10" -v b="$json10" 'BEGIN { printf "ratio ours(10k)/mdb-json(10k):   %.3f  (at most 0.5)\n", a / b }'
awk -v a="$ours100" -v b="$ours10" 'BEGIN { printf "ratio ours(100k)/ours(10k):     %.2f  (at most 12)\n", a / b }'
awk -v a="$mem100" -v b="$size100" 'BEGIN { printf "ratio peak(100k)/file size:     %.2f  (below 3)\n", a * 1024 / b }'
