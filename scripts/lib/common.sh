# Shared by scripts/build, scripts/test and scripts/run.
# shellcheck shell=bash
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

say() { printf '==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Debian packages the build and the tests need, with a file that shows each is there.
required_packages=(
    "cmake:/usr/bin/cmake"
    "g++:/usr/bin/g++"
    "make:/usr/bin/make"
    "mingw-w64:/usr/bin/x86_64-w64-mingw32-g++-posix"
    "wine:/usr/bin/wine"
    "wine64:/usr/lib/wine/wine64"
    "xvfb:/usr/bin/Xvfb"
    "xauth:/usr/bin/xauth"
    "fonts-ipafont-gothic:/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
    "fonts-ipafont-mincho:/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf"
    "googletest:/usr/src/googletest/CMakeLists.txt"
    "procps:/usr/bin/pgrep"
    "util-linux:/usr/bin/flock"
    "locales:/usr/share/i18n/locales/ja_JP"
    "fp-utils:/usr/bin/chmcmd"
    "nsis:/usr/bin/makensis"
    "zip:/usr/bin/zip"
    # Readers of the outputs: LibreOffice converts the metafiles and pastes
    # into Calc; xdotool and xclip drive and read the X side of the desktop.
    "libreoffice-draw:/usr/bin/lodraw"
    "libreoffice-calc:/usr/bin/localc"
    "xdotool:/usr/bin/xdotool"
    "xclip:/usr/bin/xclip"
    "python3-minimal:/usr/bin/python3"
    # Readers of the SVG and PDF files: a PDF checker, a PDF and an SVG renderer.
    "qpdf:/usr/bin/qpdf"
    "poppler-utils:/usr/bin/pdftoppm"
    "librsvg2-bin:/usr/bin/rsvg-convert"
    # NSS's tools make the key database with which pdfsig signs documents
    # beforehand, as another signer would.
    "libnss3-tools:/usr/bin/certutil"
    # The PDF library's sources come from Debian (dpkg-source unpacks them);
    # zlib for mingw-w64 is Debian's own.
    "dpkg-dev:/usr/bin/dpkg-source"
    "libz-mingw-w64-dev:/usr/x86_64-w64-mingw32/lib/libz.a"
    # Writers of the PDF documents the stamp is put onto.
    "libreoffice-writer:/usr/bin/lowriter"
    "ghostscript:/usr/bin/gs"
    # The fuzz tree: clang and libFuzzer's runtime.
    "clang:/usr/bin/clang++"
    "libclang-rt-14-dev:/usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a"
)

ensure_packages() {
    local missing=() entry pkg file
    for entry in "${required_packages[@]}"; do
        pkg=${entry%%:*}
        file=${entry#*:}
        [ -e "$file" ] || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null 2>&1 || die "packages missing (${missing[*]}) and not root: install them with apt-get"
        sudo=(sudo)
    fi
    command -v apt-get >/dev/null 2>&1 || die "packages missing (${missing[*]}) and no apt-get on this machine"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
        || die "apt-get update failed"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
        || die "apt-get install failed for: ${missing[*]}"
    for entry in "${required_packages[@]}"; do
        file=${entry#*:}
        [ -e "$file" ] || die "package ${entry%%:*} installed but $file is still missing"
    done
}

configure_native() {
    cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null \
        || die "configuring the native tree failed"
}

build_native_asan() {
    say "building the portable core under AddressSanitizer (build/native-asan)"
    cmake -S "$root" -B "$root/build/native-asan" -DCMAKE_BUILD_TYPE=Debug -DMARKOMI2_SANITIZE=ON >/dev/null \
        || die "configuring the sanitizer tree failed"
    cmake --build "$root/build/native-asan" -j "$jobs" || die "sanitizer build failed"
}

# The libFuzzer targets of the parsers of outside bytes (cmake/fuzz.cmake).
build_native_fuzz() {
    say "building the fuzz targets with clang (build/native-fuzz)"
    cmake -S "$root" -B "$root/build/native-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMARKOMI2_FUZZ=ON >/dev/null \
        || die "configuring the fuzz tree failed"
    cmake --build "$root/build/native-fuzz" -j "$jobs" || die "fuzz build failed"
}

configure_win() {
    build_render_library
    cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DMARKOMI2_PDF_PREFIX="$pdf_prefix" \
        -DMARKOMI2_RENDER_PREFIX="$render_prefix" >/dev/null \
        || die "configuring the Windows tree failed"
}

build_native() {
    say "building the portable core and its tests (build/native)"
    configure_native
    cmake --build "$root/build/native" -j "$jobs" || die "native build failed"
}

# build_win [TARGET...]: everything, or only the named targets.
build_win() {
    local targets=()
    local t
    for t in "$@"; do targets+=(--target "$t"); done
    say "building the Windows programs${1:+ ($*)} (build/win)"
    configure_win
    cmake --build "$root/build/win" -j "$jobs" "${targets[@]}" || die "Windows build failed"
    mkdir -p "$root/dist"
    # Only the programs that ship; tests and benchmarks stay in build/.
    cp "$root"/build/win/bin/Markomi2*.exe "$root/dist/"
    # The program opens the help from its own folder.
    if [ -f "$root/build/win/bin/Markomi2.chm" ]; then cp "$root/build/win/bin/Markomi2.chm" "$root/dist/"; fi
    say "programs in dist/: $(cd "$root/dist" && ls ./Markomi2*.exe ./Markomi2.chm 2>/dev/null | tr '\n' ' ')"
}

# shellcheck source=scripts/lib/pdf_library.sh
source "$root/scripts/lib/pdf_library.sh"
