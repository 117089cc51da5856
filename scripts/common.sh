# Shared set-up for ./run-editor and ./run-tests: install what is missing, configure, build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Installs the Debian packages that are not installed yet; does nothing when all are there.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(cmake make g++ qt6-base-dev libgl-dev zlib1g-dev fonts-dejavu-core help2man
    qt6-translations-l10n)
TEST_PACKAGES=(libgtest-dev desktop-file-utils appstream dpkg-dev file lintian tiled strace attr gcovr git python3-cram)

# build_preset NAME: configures build/NAME from CMakePresets.json once, then builds it
# incrementally.
build_preset() {
    if [ ! -f "$ROOT/build/$1/CMakeCache.txt" ]; then
        (cd "$ROOT" && cmake --preset "$1")
    fi
    (cd "$ROOT" && cmake --build --preset "$1" --parallel "$JOBS")
}
