#!/usr/bin/env bash
# Installs, with apt-get, whatever the build, the tests and the tools need and
# is not installed yet. A fast no-op when everything is there.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  # PNG pictures; Pillow writes the test pictures
  libspng-dev python3-pil
  qt6-base-dev qt6-base-dev-tools libgl-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth x11-apps xdotool imagemagick fonts-dejavu-core
  # make package (dpkg-shlibdeps, file) and the checks of the installed files
  dpkg-dev file desktop-file-utils appstream libxml2-utils shared-mime-info man-db groff-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
