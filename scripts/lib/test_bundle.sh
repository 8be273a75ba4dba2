# The Windows test bundle (dist/Markomi2_WindowsTests.zip): the Windows test
# programs, the programs they drive, their fixtures and run-tests.cmd, to run
# the tests on Windows itself. Sourced by scripts/package after build_win.
# shellcheck shell=bash

bundle_name=Markomi2_WindowsTests

# What the test programs look for beside themselves: every bundled name they
# pass to fixture_path() (tests/win/support/fixture_paths.h).
bundle_fixture_names() {
    grep -rhoE 'fixture_path\([^,]+, L"[^"]+"\)' "$root/tests/win" | sed -E 's/.*, L"([^"]+)"\)/\1/' | sort -u
}

# make_test_bundle ZIP: stages the bundle under build/win/test-bundle and packs it.
make_test_bundle() {
    local zipfile=$1 stage="$root/build/win/test-bundle" bin="$root/build/win/bin" f
    local dir="$stage/$bundle_name"
    rm -rf "$stage"
    mkdir -p "$dir"
    for f in markomi2_win_tests.exe markomi2_app_tests.exe markomi2_settings_save_loop.exe \
             markomi2_bench.exe markomi2_bare_window.exe Markomi2.exe Markomi2Stamp.exe \
             Markomi2_Uninstaller.exe Markomi2_Setup.exe Markomi2.chm; do
        [ -f "$bin/$f" ] || die "$bin/$f is missing after the build"
        cp "$bin/$f" "$dir/"
    done
    cp -r "$root/tests/golden" "$dir/golden"
    cp -r "$root/resources" "$dir/resources"
    if [ -d "$root/tests/data" ]; then cp -r "$root/tests/data" "$dir/data"; fi
    # cmd.exe wants CR LF.
    sed 's/\r*$/\r/' "$root/tests/win/bundle/run-tests.cmd" >"$dir/run-tests.cmd"
    sed 's/\r*$/\r/' "$root/tests/win/bundle/README.txt" >"$dir/README.txt"
    rm -f "$zipfile"
    (cd "$stage" && zip -q -r -X "$zipfile" "$bundle_name") || die "zip of the test bundle failed"
}

# check_test_bundle ZIP: the archive holds everything run-tests.cmd and the
# test programs need. Prints what is missing; fails when anything is.
check_test_bundle() {
    local zipfile=$1 listing missing=() name program
    listing=$(zip -sf "$zipfile" | sed -nE "s|^  $bundle_name/||p") || return 1
    bundle_has() { grep -qxF "$1" <<<"$listing"; }
    for name in run-tests.cmd README.txt; do bundle_has "$name" || missing+=("$name"); done
    # The programs run-tests.cmd runs, from its own list, and those it
    # starts by name (the diagnosis).
    for program in $(sed -nE 's/.*for %%P in \(([^)]*)\).*/\1/p' "$root/tests/win/bundle/run-tests.cmd") \
                   $(sed -nE 's/^"%ROOT%\\([A-Za-z0-9_]+)\.exe".*/\1/p' "$root/tests/win/bundle/run-tests.cmd"); do
        bundle_has "$program.exe" || missing+=("$program.exe")
    done
    # What the test programs find through fixture_path(): files, or folders
    # with every file of their source folder.
    while read -r name; do
        if bundle_has "$name/"; then
            local source="$root/tests/$name"
            [ -d "$source" ] || source="$root/$name"
            while read -r f; do
                bundle_has "$name/$f" || missing+=("$name/$f")
            done < <(cd "$source" && find . -type f | sed 's|^\./||')
        else
            bundle_has "$name" || missing+=("$name")
        fi
    done < <(bundle_fixture_names)
    if [ ${#missing[@]} -gt 0 ]; then
        # A name may be missed on two counts; it is told once.
        printf 'test bundle %s lacks: %s\n' "$zipfile" "$(printf '%s\n' "${missing[@]}" | sort -u | paste -sd ' ')" >&2
        return 1
    fi
    return 0
}
