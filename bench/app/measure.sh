#!/usr/bin/env bash
# Measures the tool with --simulate: start to first status, CPU with
# "Automatic" ticked, CPU of an acknowledged wait (app_bench), and the CPU of
# the real executable over the same time read from /proc.
# Usage: bench/app/measure.sh [build-dir] [seconds]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/ci}
seconds=${2:-30}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

"$build/bench/app/app_bench" "$seconds"

tool="$build/src/app/veltrano-mini-setup"
"$tool" --simulate &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
ticks=$(getconf CLK_TCK)
sleep 2 # past start-up
read -r -a before < "/proc/$pid/stat"
sleep "$seconds"
read -r -a after < "/proc/$pid/stat"
# Fields 14 and 15 (utime, stime); the command name has no blanks here.
used=$(( (after[13] + after[14]) - (before[13] + before[14]) ))
awk -v used="$used" -v hz="$ticks" -v s="$seconds" \
    'BEGIN { printf "veltrano-mini-setup --simulate over %d s: %.2f %% of one core (target < 2)\n", s, 100 * used / hz / s }'
