#!/bin/sh
# Installs the Debian packages the build, the tests and the screenshots need,
# and only when one of them is missing, so a ready machine pays nothing.
set -eu

PACKAGES="cmake ninja-build g++ pkgconf qt6-base-dev libicu-dev libuchardet-dev fonts-liberation2 ccache \
libsqlite3-dev sqlite3 xvfb xauth imagemagick libgl-dev pgdbf clang libclang-rt-14-dev valgrind \
postgresql libpq-dev mariadb-server mariadb-client help2man"
# The source checks: formatting and clang-tidy.
PACKAGES="$PACKAGES clang-format clang-tidy"

# The packages and their checks: dpkg-deb and dpkg-shlibdeps for the Debian package, the
# validators of the menu entry and of the software centre description, Debian's checker,
# fc-match for the font the package must bring.
PACKAGES="$PACKAGES appstream desktop-file-utils dpkg-dev file lintian fontconfig"
# The Windows syntax check: the sources compiled by the MinGW-w64 cross compiler.
PACKAGES="$PACKAGES g++-mingw-w64-x86-64"
# The check of the include graph between the source folders.
PACKAGES="$PACKAGES python3"
# The loading benchmark compares with ogr2ogr; nothing else needs it.
if [ "${1:-}" = "--bench" ]; then
    PACKAGES="$PACKAGES gdal-bin"
fi

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
