#!/usr/bin/env bash
# Runs the whole test suite against the build made by setup.sh. Tests that
# need root, FUSE or loop devices print why they skip when those are missing.
set -euo pipefail
cd "$(dirname "$0")"
cmake --build build
ctest --test-dir build --output-on-failure --timeout 900 -j "$(nproc)"
