#!/usr/bin/env bash
# The installed tree as a user gets it: `cmake --install` into a temporary prefix, which is then moved
# (nothing may point back at the build or at the first prefix). The installed halvex-capture, run from
# an unrelated folder, finds the installed data and renders the same frames as the build tree's. The
# menu entry, metainfo and manual pages pass their validators; the icons are square PNGs at every size.
source "$(dirname "$0")/lib.sh"
source_dir=${HALVEX_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
passed=0

cmake --install "$build" --prefix "$work/first" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install failed"; }
mv "$work/first" "$work/moved"
prefix=$work/moved

# 1. The programs, the data set (exactly the generated one) and nothing that names the build.
for program in halvex32 halvex16 halvex-capture; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
    readelf -d "$prefix/bin/$program" | grep -qE 'RPATH|RUNPATH' && fail "$program carries a library search path"
    for section in .rodata .data; do
        readelf -p "$section" "$prefix/bin/$program" 2>/dev/null | grep -qF -e "$build" -e "$source_dir" -e "$work" &&
            fail "$program names the build, source or install folder in $section"
    done
done
diff -r -x .generated "$build/data" "$prefix/share/halvex/data" >/dev/null || fail "the installed data set differs from the generated one"
grep -rlF -e "$build" -e "$work" "$prefix/share" --exclude-dir=data && fail "an installed file names the build or install folder"
passed=$((passed + 1))

# 2. The menu entry, its metainfo and the icon theme.
desktop=$(ls "$prefix"/share/applications/*.desktop) || fail "no desktop entry"
id=$(basename "$desktop" .desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
grep -qx 'Name=ORX Halvex' "$desktop" || fail "the menu entry is not called ORX Halvex"
grep -qx 'Exec=halvex32' "$desktop" && grep -qx 'Icon=halvex' "$desktop" && grep -qx 'StartupWMClass=halvex' "$desktop" ||
    fail "Exec, Icon or StartupWMClass of the menu entry is not halvex32, halvex, halvex"
metainfo=$prefix/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo named after the desktop id $id"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate: $metainfo"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the metainfo does not launch $id.desktop"
version=$("$prefix/bin/halvex32" --version | awk '{print $NF}')
[ -n "$version" ] && grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not the program's version $version"
for size in 16 22 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/halvex.png
    [ -f "$icon" ] || fail "no ${size} px icon"
    [ "$(identify -format '%m %w %h' "$icon")" = "PNG $size $size" ] || fail "$icon is $(identify -format '%m %w %h' "$icon")"
done
passed=$((passed + 1))

# 3. The manual pages, halvex16's reaching halvex32's.
man6=$prefix/share/man/man6 man1=$prefix/share/man/man1
[ "$(readlink "$man6/halvex16.6")" = halvex32.6 ] || fail "man6/halvex16.6 does not lead to halvex32.6"
for page in "$man6/halvex32.6" "$man6/halvex16.6" "$man1/halvex-capture.1"; do
    warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || fail "groff warns on $page: $warnings"
    MANWIDTH=80 man -l "$page" 2>&1 >/dev/null | grep . && fail "man -l warns on $page"
done
for option in --window --fullscreen --no-sound --no-dialog --help --version HALVEX_DATA_DIR "EXIT STATUS"; do
    MANWIDTH=200 man -l "$man6/halvex32.6" 2>/dev/null | grep -qF -- "$option" || fail "halvex32(6) does not mention $option"
done
MANWIDTH=200 man -l "$man1/halvex-capture.1" 2>/dev/null | grep -qF -- "--data-root" || fail "halvex-capture(1) lacks --data-root"
passed=$((passed + 1))

# 4. The installed capture tool from an unrelated folder: the installed data, the build tree's frames.
mkdir -p "$work/elsewhere" "$work/installed" "$work/built"
shots=(--at 1000,4000,140000 --fps 10 --size 160x120 --seed 3 --no-sound)
(cd "$work/elsewhere" && env -u HALVEX_DATA_DIR "$prefix/bin/halvex-capture" "${shots[@]}" --out "$work/installed") \
    >"$work/installed.log" 2>&1 || fail "the installed halvex-capture failed: $(tail -3 "$work/installed.log")"
grep -qF -e "Unable to find" -e "no data/ folder" "$work/installed.log" && fail "the installed tool did not find its data: $(grep -F -e Unable -e 'no data/' "$work/installed.log" | head -3)"
(cd "$build" && ./halvex-capture "${shots[@]}" --out "$work/built") >"$work/built.log" 2>&1 || fail "the build tree's halvex-capture failed"
for frame in frame-0001000.png frame-0004000.png frame-0140000.png; do
    [ -f "$work/installed/$frame" ] || fail "the installed tool wrote no $frame"
    cmp -s "$work/installed/$frame" "$work/built/$frame" || fail "$frame differs between the installed and the build tree"
done
passed=$((passed + 1))
echo "install: $passed passed, 0 failed"
