# Shared by scripts/run, scripts/test, scripts/package and scripts/fuzz. Source it; do not run it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian packages the project needs to build, test, run and fuzz.
TESSEL_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libharfbuzz-dev libfreetype-dev libfontconfig-dev
  fonts-ipafont-gothic fonts-noto-cjk glabels-data glabels
  libqt6printsupport6 poppler-utils qpdf mupdf-tools ghostscript
  xvfb xauth x11-utils imagemagick librsvg2-bin xdotool
  qt6-translations-l10n
  xdg-utils shared-mime-info desktop-file-utils libfile-mimeinfo-perl libglib2.0-bin
  cups printer-driver-cups-pdf libcups2-dev
  libreoffice-writer-nogui python3-uno
  libzip-dev
)
# What scripts/package needs besides: the Debian package's tools and the checks of it.
TESSEL_PACKAGING_PACKAGES=(dpkg-dev file lintian appstream man-db)

# ensure_packages [PKG...]: installs whatever of TESSEL_PACKAGES and the named packages is
# missing; a second run finds nothing to do and stays quiet.
ensure_packages() {
  local missing=()
  local p
  for p in "${TESSEL_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
      sudo=(sudo)
    else
      echo "error: these Debian packages are missing and I cannot install them without root or sudo:" >&2
      echo "  ${missing[*]}" >&2
      echo "Install them with: sudo apt-get install ${missing[*]}" >&2
      exit 1
    fi
  fi
  if ! command -v apt-get >/dev/null 2>&1; then
    echo "error: apt-get not found; install these packages by hand: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if ! "${sudo[@]}" apt-get update -qq || ! "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
    echo "error: apt-get could not install: ${missing[*]}" >&2
    exit 1
  fi
}

# Compiles go through ccache: a second clone or build tree of the same sources (CI's fresh clone, a
# worktree) takes the objects already made instead of compiling them again.
export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=true

# configure_build DIR [cmake args...]: configures once, then only rebuilds what changed.
configure_build() {
  local dir="$1"; shift
  local launcher=()
  command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja "${launcher[@]}" "$@"
  fi
}
