#!/usr/bin/env bash
# Installs, with apt-get, whatever is needed and not installed yet. A fast no-op
# when everything is there.
#
#   scripts/install-deps.sh run    what `make run` needs: the compiler, Qt,
#                                  libspng, libdeflate, and the virtual screen and the
#                                  tools of the headless demo
#   scripts/install-deps.sh [all]  also what the tests, the benchmarks, the
#                                  fuzzers, the format check and the package
#                                  need (`make test`, CI)
#   scripts/install-deps.sh windows  what `make run` needs and the Windows
#                                  cross build: mingw-w64, Wine, NSIS, zlib for
#                                  mingw-w64, and libspng's and libdeflate's
#                                  sources from Debian's source packages, unpacked into
#                                  build/deps/
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

profile=${1:-all}

packages=(
  g++ cmake ninja-build make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # PNG pictures; their image data inflated and deflated whole, and a sheet
  # deflated a row at a time
  libspng-dev libdeflate-dev zlib1g-dev
  # the headless demo of `make run`: a virtual screen, keys and a screenshot
  xvfb xauth xdotool imagemagick fonts-dejavu-core
)
case "$profile" in
  run) ;;
  all)
    packages+=(
      libgtest-dev libgmock-dev libbenchmark-dev
      # Pillow writes the test pictures
      python3-pil
      # the fuzzers and the sanitizer runs (clang), the format check
      clang libclang-rt-14-dev clang-format
      x11-apps
      # make package (dpkg-shlibdeps, file) and the checks of the installed files
      dpkg-dev file desktop-file-utils appstream libxml2-utils shared-mime-info man-db groff-base
    )
    ;;
  windows)
    packages+=(
      g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
      wine wine64 fonts-wine nsis unzip xclip
      # apt-get source unpacks libspng's and libdeflate's source packages
      dpkg-dev
    )
    ;;
  *)
    echo "install-deps: unknown profile '$profile'; use run, all or windows" >&2
    exit 2
    ;;
esac

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Windows build compiles libspng and libdeflate itself, from Debian's
# source packages.
fetch_source() {
  local package=$1 file=$2
  compgen -G "$root/build/deps/$package-*/$file" >/dev/null && return 0
  local sources=/etc/apt/sources.list.d/sprite-deb-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    echo "install-deps: enabling Debian's source packages ($sources)"
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' \
      'Suites: bookworm bookworm-updates' 'Components: main' \
      'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' | $SUDO tee "$sources" >/dev/null
    $SUDO apt-get update -qq
  fi
  echo "install-deps: fetching $package's source package into build/deps/"
  mkdir -p "$root/build/deps"
  (cd "$root/build/deps" && apt-get source -qq "$package" >/dev/null 2>&1)
  compgen -G "$root/build/deps/$package-*/$file" >/dev/null ||
    { echo "install-deps: $package's source package could not be had" >&2; exit 1; }
}
if [ "$profile" = windows ]; then
  fetch_source libspng spng/spng.c
  fetch_source libdeflate libdeflate.h
fi
