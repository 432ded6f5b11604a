#!/usr/bin/env bash
# Plays an editing session (kill-session.txt) in the replay tool, kills it
# with SIGKILL at a random moment, and checks the store as the next start
# finds it: it reads back whole, and holds every edit whose finger lifted
# before the kill, compared with the same session played to its end. N times.
# usage: scripts/kill-test.sh [N] [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
runs=${1:-50}
build=$(cd "${2:-$here/../build}" && pwd)
work=$(mktemp -d /tmp/veloquix-kill-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$build"

# DIR/home seeded, DIR/session.txt writing its snapshots to DIR/snap-N.json.
prepare() {
  mkdir -p "$1"
  ./veloquix-storecheck --seed "$1/home" "$here/kill-seed.json"
  sed "s#@\([0-9]*\)#$1/snap-\1.json#" "$here/kill-session.txt" >"$1/session.txt"
}
now_ms() { date +%s%3N; }

# The whole session once: the state after each edit, and how long it takes.
prepare "$work/ref"
start=$(now_ms)
VELOQUIX_HOME="$work/ref/home" ./veloquix-replay "$work/ref/session.txt"
length=$(($(now_ms) - start))
edits=$(ls "$work/ref" | grep -c '^snap-')
# Each edit of the session must change the store, or the screen changed under
# the script and the session no longer edits what it should.
for ((n = 1; n < edits; n++)); do
  if cmp -s "$work/ref/snap-$((n - 1)).json" "$work/ref/snap-$n.json"; then
    echo "kill-test: edit $n of kill-session.txt changed nothing in the store" >&2
    exit 1
  fi
done

failed=0
for ((run = 1; run <= runs; run++)); do
  dir="$work/run"
  rm -rf "$dir"
  prepare "$dir"
  delay=$((RANDOM * 32768 + RANDOM))
  delay=$((delay % (length + 1)))
  VELOQUIX_HOME="$dir/home" ./veloquix-replay "$dir/session.txt" 2>/dev/null &
  pid=$!
  sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # The last snapshot begun was written after its edit; the next edit may
  # have finished too before the kill.
  last=0
  for ((n = 0; n < edits; n++)); do [ -e "$dir/snap-$n.json" ] && last=$n; done
  expected=("$work/ref/snap-$last.json")
  [ $((last + 1)) -lt "$edits" ] && expected+=("$work/ref/snap-$((last + 1)).json")
  if ! ./veloquix-storecheck "$dir/home" "${expected[@]}"; then
    echo "kill-test: run $run, killed after ${delay} ms (edit $last done): the store is not as it should be" >&2
    failed=$((failed + 1))
    cp -r "$dir" "/tmp/veloquix-kill-failed-$run" 2>/dev/null || true
  fi
done
echo "kill-test: $runs kills within a ${length} ms session of $((edits - 1)) edits, $failed with a store not as it should be"
[ "$failed" -eq 0 ]
