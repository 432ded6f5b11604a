#!/usr/bin/env bash
# Sets everything up, builds the application alone (no tests, no tools) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_TARGETS=veloquix bash scripts/build.sh
exec ./build/veloquix
