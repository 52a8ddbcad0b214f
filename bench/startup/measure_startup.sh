#!/usr/bin/env bash
# Measures the reader's start: from launching the program to its skinned
# window painted on screen, with a warm wineserver, and its peak memory.
#   bench/startup/measure_startup.sh [RUNS]     (run through ./run's set-up:
#   QUORVANE_BUILD_DIR and DISPLAY as for ./run)
set -euo pipefail
runs=${1:-10}
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/dev/env.sh"
export_wine_env
export QUORVANE_AUDIO=${QUORVANE_AUDIO:-null}
exe="$QUORVANE_BUILD/app/quorvane.exe"
[ -x "$exe" ] || { echo "build the reader first (./run)" >&2; exit 1; }
# A warm server, as on a desktop where Wine runs already (one that runs
# already is kept: a second start would wait for it).
"$WINESERVER" -p </dev/null >/dev/null 2>&1 &
"$WINELOADER" wineboot </dev/null >/dev/null 2>&1
# One start to warm the file cache.
QUORVANE_STARTUP_TRACE=exit "$exe" >/dev/null 2>&1 </dev/null || true
visible=() mains=() rss=()
for _ in $(seq "$runs"); do
  start=$(date +%s%3N)
  trace=$(QUORVANE_STARTUP_TRACE=exit /usr/bin/time -f "rss %M" "$exe" 2>&1 </dev/null || true)
  main=$(awk '/^startup main /{print $3}' <<<"$trace")
  shown=$(awk '/^startup visible /{print $3}' <<<"$trace")
  kb=$(awk '/^rss /{print $2}' <<<"$trace")
  [ -n "$shown" ] || { echo "no visible milestone: $trace" >&2; continue; }
  visible+=($((shown - start))); mains+=($((main - start))); rss+=("$kb")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "runs: ${#visible[@]}"
echo "launch -> main():          median $(median "${mains[@]}") ms  (${mains[*]})"
echo "launch -> skinned, painted: median $(median "${visible[@]}") ms  (${visible[*]})"
echo "peak RSS:                  median $(median "${rss[@]}") KB  (${rss[*]})"
