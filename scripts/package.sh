#!/usr/bin/env bash
# Makes the Debian package from build/ (or BUILD_DIR) with cpack and checks
# it: its fields, and its files unpacked into a scratch folder pass the same
# checks as an install (scripts/check-install.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(cd "${BUILD_DIR:-build}" && pwd)
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build_dir"/veloquix_*.deb | head -n 1)
fields=$(dpkg-deb --field "$deb" Package Version Architecture Depends)
echo "$fields"
grep -q "^Depends: .*libsdl2" <<<"$fields" || { echo "package: $deb depends on no SDL" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb --extract "$deb" "$root"
bash scripts/check-install.sh --prefix "$root/usr"
echo "package: $deb"
