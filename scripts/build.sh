#!/usr/bin/env bash
# Configures and builds everything into build/ (or the folder in BUILD_DIR).
# ccache, when installed, keeps rebuilds of unchanged files cheap.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-"$top/build"}
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
