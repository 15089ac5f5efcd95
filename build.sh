#!/usr/bin/env bash
# Command 1: installs what is missing, builds both architectures into dist/,
# and runs the main job: the bundled card-printer emulator and the demo host
# program under Wine.
set -euo pipefail
cd "$(dirname "$0")"
bash cmake/deps.sh
for arch in x64 x86; do
    cmake --preset "$arch" >/dev/null
    cmake --build --preset "$arch"
done
bash demo/run-demo.sh build/x64
