#!/usr/bin/env bash
# Each level of the code may include only its own level and those below it.
# Prints every include that climbs, as FILE:LINE and the header with the level
# it belongs to, and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Lowest first: the level's name and the folders it holds (include roots).
levels=(engine shell toolkit model storage showcase editor app tools)
declare -A roots=(
  [engine]="engine/include engine"
  [shell]="shell"
  [toolkit]="toolkit"
  [model]="model"
  [storage]="storage"
  [showcase]="showcase"
  [editor]="editor"
  [app]="app"
  [tools]="tools/replay tools"
)

# The lowest level, from `from` down to the bottom, or else anywhere above
# it, that holds the header; prints its index, or nothing for a header of
# none of ours (a system or library header).
level_of() {
  local header=$1 from=$2 i root
  for ((i = from; i >= 0; i--)); do
    for root in ${roots[${levels[i]}]}; do
      if [ -f "$root/$header" ]; then echo "$i"; return; fi
    done
  done
  for ((i = from + 1; i < ${#levels[@]}; i++)); do
    for root in ${roots[${levels[i]}]}; do
      if [ -f "$root/$header" ]; then echo "$i"; return; fi
    done
  done
}

climbs=0
for ((own = 0; own < ${#levels[@]}; own++)); do
  name=${levels[own]}
  for root in ${roots[$name]}; do
    [ "$root" = engine/include ] && continue
    while IFS= read -r -d '' file; do
      # Folders of a lower root nested in this one belong to that level.
      if [ "$root" = tools ] && [[ $file == tools/replay/* ]]; then continue; fi
      while IFS=: read -r line header; do
        dir=$(dirname "$file")
        if [ -f "$dir/$header" ]; then continue; fi
        at=$(level_of "$header" "$own")
        if [ -n "$at" ] && [ "$at" -gt "$own" ]; then
          echo "$file:$line: includes \"$header\" of level ${levels[at]}, above its own level $name" >&2
          climbs=$((climbs + 1))
        fi
      done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
               sed 's/^\([0-9]*\):.*"\([^"]*\)".*/\1:\2/' || true)
    done < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
  done
done

if [ "$climbs" -gt 0 ]; then
  echo "check-layers: $climbs include(s) climb a level" >&2
  exit 1
fi
echo "check-layers: no include climbs a level"
