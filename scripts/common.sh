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
TEST_PACKAGES=(libgtest-dev desktop-file-utils appstream dpkg-dev file lintian tiled strace attr)

# build_tree DIR [cmake options...]: configures DIR once, then builds it incrementally.
build_tree() {
    local dir="$1"
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$dir" --parallel "$JOBS"
}
