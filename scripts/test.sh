#!/usr/bin/env bash
# Sets up, builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset ci
cmake --build --preset ci
QT_QPA_PLATFORM=offscreen ctest --preset ci
