#!/bin/bash
# Launch to first presented frame and to first handled input, for the editor
# on a circuit of 0, 1,000 and 10,000 parts, beside a bare SDL window
# launched in the same run on the same display:
#   xvfb-run -a -s "-screen 0 1280x1024x24" bench/startup_bench.sh BUILD_DIR [RUNS]
# Each program runs RUNS times (default 3) and the median is printed. The
# pointer is moved over the window every 10 ms from the launch on, so the
# first input is handled as soon as the program takes any.
set -eu
build=$(cd "${1:?usage: $0 BUILD_DIR [RUNS]}" && pwd)
runs=${2:-3}
work=$(mktemp -d /tmp/veloquix-startup-XXXXXX)
trap 'rm -rf "$work"' EXIT

# Prints "frame-ms input-ms" for one launch of "$@".
launch() {
    local log="$work/trace"
    : >"$log"
    local start
    start=$(date +%s%N)
    VELOQUIX_TRACE_STARTUP=1 "$@" >/dev/null 2>"$log" &
    local pid=$!
    local x=200
    until grep -q first-input "$log" && grep -q first-frame "$log"; do
        if ! kill -0 "$pid" 2>/dev/null; then
            # Under the pointer's quick stream of short-lived X clients the
            # display now and then refuses a connection; that launch is
            # made again, once, rather than timed.
            if grep -q "cannot open a window" "$log" && [ -z "${retried:-}" ]; then
                echo "(the display refused a launch; launching again)" >&2
                retried=1 launch "$@"
                return
            fi
            echo "failed: $*" >&2
            cat "$log" >&2
            return 1
        fi
        x=$((x == 200 ? 240 : 200))
        xdotool mousemove "$x" 200 >/dev/null 2>&1 || true
        sleep 0.01
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v s="$start" '/^first-frame/ {f = $2} /^first-input/ {i = $2}
        END { printf "%.0f %.0f\n", (f - s) / 1e6, (i - s) / 1e6 }' "$log"
}

# Prints the medians of RUNS launches of "$@".
median_of_runs() {
    local results="$work/results"
    : >"$results"
    for ((r = 0; r < runs; ++r)); do launch "$@" >>"$results"; done
    local m=$(((runs + 1) / 2))
    local frame input
    frame=$(sort -n -k1,1 "$results" | sed -n "${m}p" | cut -d' ' -f1)
    input=$(sort -n -k2,2 "$results" | sed -n "${m}p" | cut -d' ' -f2)
    printf "%10s %10s\n" "$frame" "$input"
}

printf "%-22s %10s %10s\n" "program" "frame ms" "input ms"
printf "%-22s " "bare SDL window"
median_of_runs "$build/bench/bare_window"
for parts in 0 1000 10000; do
    home="$work/home-$parts"
    "$build/bench/make_bench_home" "$home" "$parts" >/dev/null 2>&1
    printf "%-22s " "editor $parts parts"
    VELOQUIX_HOME="$home" median_of_runs "$build/veloquix"
done
