#!/usr/bin/env bash
# Sets up (packages, build) and starts the program on the embedded database (build/Data/Pediakay.db).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
exec ./build/pediakay "$@"
