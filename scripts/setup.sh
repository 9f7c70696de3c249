#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need, then configures and builds.
# Safe to run again: packages already present are skipped, and the build is incremental.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite qt6-tools-dev-tools qt6-translations-l10n
  libsqlite3-dev libxlsxwriter-dev
  fonts-liberation fonts-liberation2 poppler-utils python3-openpyxl
  libqt6sql6-psql postgresql libpq-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_type="${BUILD_TYPE:-RelWithDebInfo}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$build_type" ${PEDIAKAY_WERROR:+-DPEDIAKAY_WERROR=ON} >/dev/null
cmake --build build --parallel "$(nproc)"
