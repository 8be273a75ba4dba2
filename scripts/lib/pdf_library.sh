# The PDF library the companion links: qpdf and libjpeg-turbo cross-built for
# mingw-w64 from Debian's own source packages (zlib is Debian's
# libz-mingw-w64-dev), once per machine, into build/deps/mingw.
# shellcheck shell=bash

pdf_prefix="$root/build/deps/mingw"
pdf_sources="$root/build/deps/src"
mingw_root=/usr/x86_64-w64-mingw32

# The options are part of what is cached: a change to them builds anew.
pdf_build_key() {
    printf '%s\n' "qpdf static MinSizeRel native-crypto no-docs; jpeg static no-simd; v1" \
        "$(cd "$pdf_sources" 2>/dev/null && ls ./*.dsc 2>/dev/null | tr '\n' ' ')"
}

# A deb-src entry for each suite the machine installs from, so that
# `apt-get source` takes the sources of the very versions Debian ships here.
ensure_deb_src() {
    apt-cache showsrc qpdf 2>/dev/null | grep -q '^Package: qpdf' && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    say "adding Debian's source entries (deb-src) for apt-get source"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            | "${sudo[@]}" tee /etc/apt/sources.list.d/markomi2-src.sources >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
        grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
            | "${sudo[@]}" tee /etc/apt/sources.list.d/markomi2-src.list >/dev/null
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq || die "apt-get update failed"
    apt-cache showsrc qpdf 2>/dev/null | grep -q '^Package: qpdf' || die "no Debian source package for qpdf"
}

fetch_pdf_sources() {
    if ls "$pdf_sources"/qpdf_*.dsc "$pdf_sources"/libjpeg-turbo_*.dsc >/dev/null 2>&1; then return 0; fi
    ensure_deb_src
    mkdir -p "$pdf_sources"
    say "fetching the sources of qpdf and libjpeg-turbo from Debian"
    (cd "$pdf_sources" && apt-get source --download-only qpdf libjpeg-turbo >/dev/null 2>&1) \
        || die "apt-get source qpdf libjpeg-turbo failed"
}

# The unpacked source folder of a package, with Debian's patches applied.
unpacked_source() {
    local package=$1 dsc folder
    dsc=$(ls "$pdf_sources/${package}"_*.dsc | head -n 1)
    folder="$pdf_sources/unpacked/$package"
    if [ ! -d "$folder" ]; then
        mkdir -p "$pdf_sources/unpacked"
        dpkg-source -x --no-check "$dsc" "$folder" >/dev/null || die "could not unpack $dsc"
    fi
    printf '%s' "$folder"
}

build_pdf_library() {
    local key
    fetch_pdf_sources
    key=$(pdf_build_key)
    if [ -f "$pdf_prefix/built" ] && [ "$(cat "$pdf_prefix/built")" = "$key" ]; then return 0; fi
    [ -f "$mingw_root/lib/libz.a" ] || die "libz-mingw-w64-dev is missing"
    local jpeg qpdf work="$root/build/deps/work"
    jpeg=$(unpacked_source libjpeg-turbo)
    qpdf=$(unpacked_source qpdf)
    rm -rf "$pdf_prefix" "$work"
    mkdir -p "$pdf_prefix/include/qpdf" "$pdf_prefix/lib" "$work"

    say "building libjpeg-turbo for mingw-w64 (build/deps)"
    cmake -S "$jpeg" -B "$work/jpeg" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
        -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_PREFIX="$work/jpeg-install" >"$work/jpeg.log" 2>&1 \
        && cmake --build "$work/jpeg" -j "$jobs" --target jpeg-static >>"$work/jpeg.log" 2>&1 \
        || { tail -n 30 "$work/jpeg.log"; die "building libjpeg-turbo failed"; }
    cp "$jpeg"/{jpeglib.h,jmorecfg.h,jerror.h} "$work/jpeg/jconfig.h" "$pdf_prefix/include/"
    cp "$work/jpeg/libjpeg.a" "$pdf_prefix/lib/"

    # qpdf 11.3 leaves <cstdint> out of sources that GCC 12 needs it in; the
    # host's pkg-config must not offer its own zlib and libjpeg.
    say "building qpdf for mingw-w64 (build/deps)"
    PKG_CONFIG_LIBDIR="$pdf_prefix/lib/pkgconfig" cmake -S "$qpdf" -B "$work/qpdf" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_DOC=OFF \
        -DREQUIRE_CRYPTO_NATIVE=ON -DUSE_IMPLICIT_CRYPTO=OFF \
        -DZLIB_H_PATH="$mingw_root/include" -DZLIB_LIB_PATH="$mingw_root/lib/libz.a" \
        -DLIBJPEG_H_PATH="$pdf_prefix/include" -DLIBJPEG_LIB_PATH="$pdf_prefix/lib/libjpeg.a" \
        -DCMAKE_CXX_FLAGS="-include cstdint" >"$work/qpdf.log" 2>&1 \
        && cmake --build "$work/qpdf" -j "$jobs" --target libqpdf >>"$work/qpdf.log" 2>&1 \
        || { tail -n 30 "$work/qpdf.log"; die "building qpdf failed"; }
    cp "$qpdf"/include/qpdf/*.h "$qpdf"/include/qpdf/*.hh "$pdf_prefix/include/qpdf/"
    cp "$work/qpdf/libqpdf/libqpdf.a" "$pdf_prefix/lib/"
    cp "$qpdf/LICENSE.txt" "$pdf_prefix/qpdf-LICENSE.txt" 2>/dev/null || true
    rm -rf "$work"
    printf '%s' "$key" >"$pdf_prefix/built"
}
