#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30);
# fails when a target finds a crash. Installs clang when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/setup.sh
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "ok installed"; then
  sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends clang libclang-rt-14-dev
fi
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELOQUIX_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_circuit_document fuzz_save_list fuzz_history
for target in fuzz_circuit_document fuzz_save_list fuzz_history; do
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/$target.log"
  if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
      "build-fuzz/corpus/$target" fuzz/seeds >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $target failed" >&2
    exit 1
  fi
  echo "$target: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') runs clean in ${seconds} s"
done
