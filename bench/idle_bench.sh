#!/bin/bash
# Processor time and resident memory of the editor left alone for a while,
# beside a bare SDL window measured in the same run on the same display:
#   xvfb-run -a bench/idle_bench.sh BUILD_DIR [SECONDS]
# For 0 and 1,000 parts, each on the board and on the list, it starts the
# application on a writable folder made for it, lets it settle, then reads
# the processor time (user + system) it used over SECONDS (default 10) and
# its resident memory at the end. Then the same on the board with 20 saved
# circuits, without and with their thumbnails, the list hidden.
set -eu
build=$(cd "${1:?usage: $0 BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-10}
settle=4
work=$(mktemp -d /tmp/veloquix-idle-XXXXXX)
trap 'rm -rf "$work"' EXIT
ticks=$(getconf CLK_TCK)

# Prints "percent-of-a-core resident-MB" for the program started by "$@".
measure() {
    "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$settle"
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "failed to start: $*" >&2
        return 1
    fi
    local before after rss
    before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v b="$before" -v a="$after" -v t="$ticks" -v s="$seconds" -v r="$rss" \
        'BEGIN { printf "%8.2f %10.1f\n", (a - b) / t / s * 100, r / 1024 }'
}

printf "%-22s %8s %10s\n" "program" "% core" "RSS MB"
printf "%-22s " "bare SDL window"
measure "$build/bench/bare_window"
for parts in 0 1000; do
    for where in board list; do
        home="$work/home-$parts-$where"
        flag=""
        [ "$where" = list ] && flag="--list"
        "$build/bench/make_bench_home" "$home" "$parts" 1 $flag >/dev/null 2>&1
        printf "%-22s " "editor $parts parts $where"
        VELOQUIX_HOME="$home" measure "$build/veloquix"
    done
done
for pictures in "" --thumbnails; do
    home="$work/home-20$pictures"
    "$build/bench/make_bench_home" "$home" 100 20 $pictures >/dev/null 2>&1
    printf "%-22s " "20 circuits ${pictures:---no-thumbnails}"
    VELOQUIX_HOME="$home" measure "$build/veloquix"
done
