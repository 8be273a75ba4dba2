# The PDF library the companion links: qpdf and libjpeg-turbo cross-built for
# mingw-w64 from Debian's own source packages (zlib is Debian's
# libz-mingw-w64-dev), once per machine, into build/deps/mingw.
# shellcheck shell=bash

pdf_prefix="$root/build/deps/mingw"
pdf_sources="$root/build/deps/src"
# The page renderer (poppler with FreeType) has its own sources, folder and
# key, so that a machine with qpdf cached builds only the renderer.
render_prefix="$root/build/deps/mingw-render"
render_sources="$root/build/deps/src-render"
mingw_root=/usr/x86_64-w64-mingw32

# The options are part of what is cached: a change to them builds anew.
pdf_build_key() {
    printf '%s\n' "qpdf static MinSizeRel native-crypto no-docs; jpeg static no-simd; v1" \
        "$(cd "$pdf_sources" 2>/dev/null && ls ./qpdf_*.dsc ./libjpeg-turbo_*.dsc 2>/dev/null | tr '\n' ' ')"
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

render_build_key() {
    printf '%s\n' "freetype static mingw-zlib no-bzip2/png/harfbuzz/brotli; poppler static Release splash win32-fonts libjpeg no-zlib; v2" \
        "$(cd "$render_sources" 2>/dev/null && ls ./poppler_*.dsc ./freetype_*.dsc 2>/dev/null | tr '\n' ' ')"
}

fetch_render_sources() {
    if ls "$render_sources"/poppler_*.dsc "$render_sources"/freetype_*.dsc >/dev/null 2>&1; then return 0; fi
    ensure_deb_src
    mkdir -p "$render_sources"
    say "fetching the sources of poppler and freetype from Debian"
    (cd "$render_sources" && apt-get source --download-only poppler freetype >/dev/null 2>&1) \
        || die "apt-get source poppler freetype failed"
}

# FreeType's gzip module uses Debian's zlib for mingw-w64, the one qpdf
# links: its own copy of zlib would define the same functions again.
build_freetype() {
    local freetype=$1 work=$2
    say "building freetype for mingw-w64 (build/deps)"
    cmake -S "$freetype" -B "$work/freetype" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_SHARED_LIBS=OFF -DFT_REQUIRE_ZLIB=ON \
        -DZLIB_INCLUDE_DIR="$mingw_root/include" -DZLIB_LIBRARY="$mingw_root/lib/libz.a" \
        -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
        -DCMAKE_INSTALL_PREFIX="$work/freetype-install" >"$work/freetype.log" 2>&1 \
        && cmake --build "$work/freetype" -j "$jobs" --target freetype >>"$work/freetype.log" 2>&1 \
        || { tail -n 30 "$work/freetype.log"; die "building freetype failed"; }
    cp -r "$freetype/include/." "$render_prefix/include/"
    cp "$work/freetype/include/freetype/config/ftoption.h" "$render_prefix/include/freetype/config/" 2>/dev/null || true
    cp "$work/freetype/libfreetype.a" "$render_prefix/lib/"
}

# Poppler's core and Splash drawing, with FreeType, static for mingw-w64,
# into build/deps/mingw-render (it uses the libjpeg built beside qpdf).
build_render_library() {
    local key
    build_pdf_library
    fetch_render_sources
    key=$(render_build_key)
    if [ -f "$render_prefix/built" ] && [ "$(cat "$render_prefix/built")" = "$key" ]; then return 0; fi
    local freetype poppler work="$root/build/deps/work-render" folder
    freetype=$(pdf_sources=$render_sources unpacked_source freetype)
    poppler=$(pdf_sources=$render_sources unpacked_source poppler)
    rm -rf "$render_prefix" "$work"
    mkdir -p "$render_prefix/include/poppler" "$render_prefix/lib" "$render_prefix/licenses" "$work"

    build_freetype "$freetype" "$work"

    # Release: poppler's build refuses MinSizeRel. Only the library target.
    say "building poppler for mingw-w64 (build/deps)"
    PKG_CONFIG_LIBDIR="$render_prefix/lib/pkgconfig" cmake -S "$poppler" -B "$work/poppler" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_SHARED_LIBS=OFF -DENABLE_RELOCATABLE=OFF -DFONT_CONFIGURATION=win32 \
        -DFREETYPE_LIBRARY="$render_prefix/lib/libfreetype.a" \
        -DFREETYPE_INCLUDE_DIR_ft2build="$render_prefix/include" \
        -DFREETYPE_INCLUDE_DIR_freetype2="$render_prefix/include" \
        -DENABLE_DCTDECODER=libjpeg -DJPEG_INCLUDE_DIR="$pdf_prefix/include" \
        -DJPEG_LIBRARY="$pdf_prefix/lib/libjpeg.a" -DENABLE_LIBOPENJPEG=none -DENABLE_CMS=none \
        -DENABLE_BOOST=OFF -DENABLE_UTILS=OFF -DENABLE_CPP=OFF -DENABLE_GLIB=OFF \
        -DENABLE_GOBJECT_INTROSPECTION=OFF -DENABLE_QT5=OFF -DENABLE_QT6=OFF -DENABLE_LIBCURL=OFF \
        -DENABLE_ZLIB=OFF -DWITH_PNG=OFF -DWITH_TIFF=OFF -DWITH_NSS3=OFF -DWITH_Cairo=OFF \
        -DWITH_GLIB=OFF -DWITH_GTK=OFF -DRUN_GPERF_IF_PRESENT=OFF -DBUILD_GTK_TESTS=OFF \
        -DBUILD_QT5_TESTS=OFF -DBUILD_QT6_TESTS=OFF -DBUILD_CPP_TESTS=OFF -DBUILD_MANUAL_TESTS=OFF \
        >"$work/poppler.log" 2>&1 \
        && cmake --build "$work/poppler" -j "$jobs" --target poppler >>"$work/poppler.log" 2>&1 \
        || { tail -n 30 "$work/poppler.log"; die "building poppler failed"; }
    for folder in poppler splash goo fofi; do
        mkdir -p "$render_prefix/include/poppler/$folder"
        cp "$poppler/$folder"/*.h "$render_prefix/include/poppler/$folder/"
    done
    cp "$work/poppler"/poppler/*.h "$render_prefix/include/poppler/poppler/"
    cp "$work/poppler"/*.h "$render_prefix/include/poppler/" 2>/dev/null || true
    cp "$work/poppler/libpoppler.a" "$render_prefix/lib/"
    cp "$poppler/COPYING" "$render_prefix/licenses/poppler-COPYING"
    cp "$poppler/debian/copyright" "$render_prefix/licenses/poppler-copyright"
    cp "$freetype/docs/FTL.TXT" "$render_prefix/licenses/freetype-FTL.TXT"
    cp "$freetype/debian/copyright" "$render_prefix/licenses/freetype-copyright"
    rm -rf "$work"
    printf '%s' "$key" >"$render_prefix/built"
}
