#!/usr/bin/env bash
# Installs what is missing, builds Korvel and starts it with any arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target korvel
exec ./build/korvel "$@"
