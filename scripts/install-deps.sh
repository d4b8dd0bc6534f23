#!/usr/bin/env bash
# Installs, with apt-get, whatever is needed and not installed yet. A fast no-op
# when everything is there.
#
#   scripts/install-deps.sh run    what `make run` needs: the compiler, Qt,
#                                  libspng, and the virtual screen and the
#                                  tools of the headless demo
#   scripts/install-deps.sh [all]  also what the tests, the benchmarks, the
#                                  fuzzers, the format check and the package
#                                  need (`make test`, CI)
set -euo pipefail

profile=${1:-all}

packages=(
  g++ cmake ninja-build make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # PNG pictures
  libspng-dev
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
  *)
    echo "install-deps: unknown profile '$profile'; use run or all" >&2
    exit 2
    ;;
esac

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
