#!/usr/bin/env bash
# Prepares this machine for building and running the plug-in: Debian packages,
# the Wine headers widl needs, and a project-local Wine prefix.
# Idempotent: when everything is in place it finishes in a few seconds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/env.sh"

PACKAGES=(
    cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
    g++-mingw-w64-i686 mingw-w64-tools
    wine wine32:i386
    xvfb xauth imagemagick
    fonts-wine fonts-liberation fonts-dejavu-core
    locales ccache python3
)
# A host that runs 64-bit code only tests the x86-64 build under 64-bit Wine
# (scripts/env.sh); the 32-bit toolchain still builds the DLL that ships.
if [ "$KX_WINE_ARCH" = win64 ]; then
    PACKAGES+=(wine64 g++-mingw-w64-x86-64-posix)
fi

missing_packages() {
    local p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

install_packages() {
    local missing
    missing="$(missing_packages)"
    [ -z "$missing" ] && return 0
    echo "setup: installing packages: $(echo $missing | tr '\n' ' ')"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing \
        wine32:i386 >/dev/null
}

# widl needs the standard OLE IDL files; Debian ships them only in libwine-dev,
# whose full install drags in ~85 packages. Its files alone are enough.
extract_wine_idl() {
    [ -f "$KX_DEPS/wine-include/oaidl.idl" ] && return 0
    echo "setup: extracting the Wine IDL files"
    local tmp
    tmp="$(mktemp -d)"
    (cd "$tmp" && apt-get download -qq libwine-dev >/dev/null 2>&1 || {
        apt-get update -qq && apt-get download -qq libwine-dev >/dev/null; })
    dpkg-deb -x "$tmp"/libwine-dev_*.deb "$tmp/x"
    mkdir -p "$KX_DEPS/wine-include"
    cp -r "$tmp"/x/usr/include/wine/wine/windows/. "$KX_DEPS/wine-include/"
    rm -rf "$tmp"
}

# A Russian locale for the locale tests; the system ships only C and C.utf8.
build_russian_locale() {
    [ -d "$KX_DEPS/locale/ru_RU.UTF-8" ] && return 0
    echo "setup: compiling the ru_RU.UTF-8 locale"
    mkdir -p "$KX_DEPS/locale"
    local name
    for name in ru_RU en_US; do
        # localedef exits 1 on mere warnings; what counts is the compiled locale.
        localedef -i "$name" -f UTF-8 "$KX_DEPS/locale/$name.UTF-8" >/dev/null 2>&1 ||
            [ -f "$KX_DEPS/locale/$name.UTF-8/LC_CTYPE" ] ||
            { echo "setup: compiling the $name.UTF-8 locale failed" >&2; exit 1; }
    done
}

# Wine's own fonts (Tahoma, Marlett, ...) go into every prefix; Debian's Wine does
# not find them where the package puts them. Also run on prefixes made earlier.
install_wine_fonts() {
    local prefix="$1" fonts=/usr/share/wine/fonts
    [ -f "$fonts/tahoma.ttf" ] || { echo "setup: $fonts/tahoma.ttf is missing (package fonts-wine)" >&2; exit 1; }
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp -u "$fonts"/* "$prefix/drive_c/windows/Fonts/"
}

# What the tests and the demo rely on in a prepared prefix; a gap fails set-up.
check_prefix() {
    local prefix="$1" f
    for f in system.reg user.reg drive_c/windows/Fonts/tahoma.ttf drive_c/windows/Fonts/tahomabd.ttf \
             drive_c/windows/Fonts/marlett.ttf; do
        [ -f "$prefix/$f" ] || { echo "setup: the Wine prefix $prefix lacks $f" >&2; exit 1; }
    done
    grep -q '"Graphics"' "$prefix/user.reg" || [ "$prefix" != "$WINEPREFIX" ] ||
        { echo "setup: the test prefix $prefix lacks the null graphics driver setting" >&2; exit 1; }
}

prepare_wine_prefix() {
    if [ -f "$WINEPREFIX/.kx-ready" ]; then return 0; fi
    echo "setup: creating the Wine prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # The null graphics driver must be set before the prefix's wineserver starts,
    # so the registry is seeded first and wineboot picks it up.
    # wineboot's exit code says little under a missing display; check_prefix
    # judges the result.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 ||
        echo "setup: wineboot reported an error; checking the prefix"
    wineserver -w
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Arial" /d "Liberation Sans" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Times New Roman" /d "Liberation Serif" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Courier New" /d "Liberation Mono" /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.kx-ready"
}

# The demo shows real windows under Xvfb, so it has a prefix of its own with
# Wine's ordinary (x11) graphics driver; fonts as in the test prefix.
prepare_demo_prefix() {
    local prefix="$KX_DEMO_PREFIX"
    if [ -f "$prefix/.kx-ready" ]; then return 0; fi
    echo "setup: creating the demo's Wine prefix in $prefix"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=" xvfb-run -a wineboot -i >/dev/null 2>&1 ||
        echo "setup: wineboot reported an error; checking the prefix"
    WINEPREFIX="$prefix" wineserver -w
    local face
    for face in "Arial:Liberation Sans" "Times New Roman:Liberation Serif" "Courier New:Liberation Mono"; do
        WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%:*}" /d "${face#*:}" /f >/dev/null 2>&1
    done
    WINEPREFIX="$prefix" wineserver -w
    touch "$prefix/.kx-ready"
}

# A program that crashes must end at once with an error: by default Wine
# waits on a crash dialog that nobody can see, and a test run hangs.
disable_crash_dialog() {
    local prefix="$1"
    [ -f "$prefix/.kx-no-crash-dialog" ] && return 0
    WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 && touch "$prefix/.kx-no-crash-dialog"
}

install_packages
extract_wine_idl
build_russian_locale
prepare_wine_prefix
prepare_demo_prefix
for prefix in "$WINEPREFIX" "$KX_DEMO_PREFIX"; do
    install_wine_fonts "$prefix"
    check_prefix "$prefix"
done
disable_crash_dialog "$WINEPREFIX"
disable_crash_dialog "$KX_DEMO_PREFIX"
