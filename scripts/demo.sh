#!/usr/bin/env bash
# Runs the program on the bundled sample images. Expects a built tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
"$build/vignettor" || true
