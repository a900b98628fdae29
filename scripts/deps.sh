#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, on Debian 12, every package the build, the demo and the tests need
# that is not installed yet. Sourced by run.sh and test.sh.
velnet_packages=(
  cmake ninja-build g++ pkg-config ccache clang-format git libpci-dev iproute2
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  xvfb xauth fonts-dejavu-core openbox
  desktop-file-utils mandoc
  dpkg-dev man-db libxml2-utils polkitd x11-utils xdotool
  clang libclang-rt-14-dev
  iproute2 tcpdump lintian
  libmnl-dev user-mode-linux kmod iputils-ping libsystemd-dev systemd jq
)

velnet_install_missing() {
  local missing=()
  local p
  for p in "${velnet_packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then sudo=(sudo); else
      echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
      return 1
    fi
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}
