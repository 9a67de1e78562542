#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Varnholt need, and only those
# that are missing. Safe to run any number of times: when everything is present it changes nothing.
set -euo pipefail

packages=(
    # compiler and build tools
    build-essential g++ cmake ninja-build pkg-config
    # Qt 6 Widgets, PrintSupport and Test; Qt6Gui's CMake package looks for the OpenGL headers
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # Qt's run-time parts: platform plugins (offscreen for the tests), JPEG image format
    libqt6gui6 qt6-qpa-plugins
    # encrypted database, spreadsheet files, benchmarks
    libsqlcipher-dev libxlsxwriter-dev libbenchmark-dev
    # the database server's client library, and the server itself for the tests on it
    libpq-dev postgresql
    # collation keys for sorting texts (the ICU that Qt itself uses)
    libicu-dev
    # Chinese font, Chinese Qt dialogs, opening files with the desktop's default application
    fonts-wqy-microhei qt6-translations-l10n xdg-utils
    # source formatting
    clang-format
    # tests read written PDF files back as text
    poppler-utils
    # the tests read exported workbooks back
    python3-openpyxl
    # the icon's PNG sizes are rendered from its SVG at build time
    qt6-svg-dev
    # the Debian package (scripts/package.sh): dependencies computed from the binaries by
    # dpkg-shlibdeps, which CPack finds ELF files for with "file"; its tests check the desktop
    # entry and the AppStream metadata
    dpkg-dev file desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    if [[ "$status" == installed ]]; then
        echo "setup: $package: installed"
    else
        echo "setup: $package: missing"
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    echo "setup: nothing to install"
    exit 0
fi

if ((EUID == 0)); then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: not root and sudo is not available; install as root: ${missing[*]}" >&2
    exit 1
fi

echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
