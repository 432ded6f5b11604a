#!/usr/bin/env bash
# Sets everything up, builds, and starts the application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec ./build/veloquix
