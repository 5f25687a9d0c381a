#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash .ci/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
# The OpenGL tests need a display: without one, one Xvfb serves the whole run.
bash scripts/with-display.sh ctest --test-dir build --output-on-failure -j"$(nproc)"
