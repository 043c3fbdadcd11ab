#!/usr/bin/env bash
# Makes the release for Windows users: build/windows/tovi-<version>-win64.zip
# and its SHA-256 file, the same bytes from the same sources.
set -euo pipefail
. "$(dirname "$0")/scripts/common.sh"
cd "$TOVI_ROOT"

ensure_packages "${TOVI_BUILD_PACKAGES[@]}"
build_windows package
