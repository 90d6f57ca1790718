#!/usr/bin/env bash
# The subsystems' layering, as the top CMakeLists.txt declares it (written to layers.txt at configure
# time): every library is listed after those it uses, so there is no circle; every #include "dir/x.h" of
# a subsystem's file names a header of its own library or of one it uses, directly or through others;
# only the platform library includes SDL or GTK; and each library is one folder of its own, so a folder
# tells which library a file belongs to.
set -uo pipefail
layers=${1:?usage: $0 LAYERS_FILE SOURCE_DIR}
top=${2:?usage: $0 LAYERS_FILE SOURCE_DIR}

declare -A owner uses listed reach folder_of library_of told
order=()
faults=0
fault() { echo "FAIL: $*" >&2; faults=$((faults + 1)); }

while IFS='|' read -r name deps files; do
    [ -n "$name" ] || continue
    for dep in $deps; do
        [ -n "${listed[$dep]:-}" ] || fault "$name uses $dep, which is not listed before it (a circle or a wrong order)"
    done
    listed[$name]=1
    uses[$name]=$deps
    order+=("$name")
    [ -n "$files" ] || fault "$name has no files"
    for file in $files; do
        owner[$file]=$name
        dir=${file%/*}
        [ "$dir" != "$file" ] || dir=.
        # Each pair is named once, at the first file that breaks the rule.
        if [ -n "${folder_of[$name]:-}" ] && [ "${folder_of[$name]}" != "$dir" ] && [ -z "${told[$name $dir]:-}" ]; then
            fault "$name has files in ${folder_of[$name]}/ and in $dir/: a library lives in one folder"
            told[$name $dir]=1
        fi
        folder_of[$name]=${folder_of[$name]:-$dir}
        if [ -n "${library_of[$dir]:-}" ] && [ "${library_of[$dir]}" != "$name" ] && [ -z "${told[$dir $name]:-}" ]; then
            fault "$dir/ holds files of ${library_of[$dir]} and of $name: a folder holds one library"
            told[$dir $name]=1
        fi
        library_of[$dir]=${library_of[$dir]:-$name}
    done
done <"$layers"
[ ${#order[@]} -gt 0 ] || { echo "FAIL: no library in $layers" >&2; exit 1; }

# What each library may include: itself and everything it reaches through its uses.
for name in "${order[@]}"; do
    all=" $name "
    for dep in ${uses[$name]}; do
        for far in ${reach[$dep]:-}; do
            [[ $all == *" $far "* ]] || all+="$far "
        done
    done
    reach[$name]=$all
done

checked=0
for file in "${!owner[@]}"; do
    name=${owner[$file]}
    [ -f "$top/$file" ] || { fault "$file is listed but missing"; continue; }
    while IFS= read -r header; do
        checked=$((checked + 1))
        target=${owner[$header]:-}
        if [ -z "$target" ]; then
            [ -f "$top/$header" ] && fault "$file includes $header, which belongs to no library"
            continue
        fi
        [[ ${reach[$name]} == *" $target "* ]] ||
            fault "$file ($name) includes $header of $target, which $name does not use"
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z_]*\/[a-z_0-9]*\.h\)".*/\1/p' "$top/$file")
    if [ "$name" != platform ] && grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(SDL|gtk/|gdk/)' "$top/$file"; then
        fault "$file ($name) includes SDL or GTK, which only the platform library may"
    fi
done

echo "layering: ${#order[@]} libraries, ${#owner[@]} files, $checked includes checked"
[ "$faults" -eq 0 ] && echo "1 passed, 0 failed" || { echo "0 passed, 1 failed"; exit 1; }
