#!/usr/bin/env bash
# Installs what is missing, builds, and starts glazecalc on the working folder
# work/ (or the folder given), which is created and seeded on first start.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
workdir=${1:-"$top/work"}
mkdir -p "$workdir"
cd "$workdir"
exec "$top/build/glazecalc"
