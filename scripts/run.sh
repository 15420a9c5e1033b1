#!/usr/bin/env bash
# Sets up, builds and starts the tool. Arguments go to the tool (--simulate, --help).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/src/app/veltrano-mini-setup "$@"
