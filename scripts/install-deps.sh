#!/usr/bin/env bash
# Installs the Debian packages Morvane needs to build, test and run.
# As root it installs what is missing; otherwise it prints the apt line.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config make
  qt6-base-dev qt6-base-dev-tools
  portaudio19-dev libsndfile1-dev libsoxr-dev libpng-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick fonts-dejavu-core xdg-utils chromium
  pulseaudio pulseaudio-utils libasound2-plugins alsa-utils sox
  minimodem
)

# Extras for one purpose only, named on the command line:
#   bench  what bench/vs_minimodem.sh needs (minimodem, now in the main list)
#   cer    fldigi and numpy, for scripts/cer-table.py
#   fuzz   clang with its libFuzzer runtime, for `make fuzz`
for extra in "$@"; do
  case "$extra" in
    bench) packages+=(minimodem) ;;
    cer) packages+=(fldigi python3-numpy) ;;
    fuzz) packages+=(clang libclang-rt-dev) ;;
    *) echo "install-deps.sh: unknown extra '$extra' (bench, cer, fuzz)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Morvane needs these Debian packages; install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
