#!/usr/bin/env bash
# The demo on damaged data sets, through halvex-capture on copies of the generated data: no data/ at
# all, every file cut to half, every file replaced by random bytes, JPEG and TGA contents swapped, 3DS
# face indices past the vertices, and 3DS chunks claiming 0xFFFFFFFF bytes. Every run must print the
# messages that case calls for, render the whole timeline and exit 0.
source "$(dirname "$0")/lib.sh"
capture="$build/halvex-capture"
[ -d "$build/data" ] || fail "no generated data set in $build/data"
fps=${HALVEX_DAMAGED_FPS:-2}
passed=0

# copy_data NAME: a fresh copy of the generated data set as the data root NAME; prints its path.
copy_data() {
    mkdir -p "$work/$1"
    cp -r "$build/data" "$work/$1/data"
    echo "$work/$1"
}

# run_case NAME ROOT: the whole timeline at a low rate and a small size; the messages go to NAME.log.
run_case() {
    local name=$1 root=$2 code
    timeout 600 "$capture" --data-root "$root" --to 250000 --fps "$fps" --size 160x120 --seed 5 \
        2>"$work/$name.raw"
    code=$?
    # The progress line rewrites itself with carriage returns; keep only what the run had to say.
    tr '\r' '\n' <"$work/$name.raw" | grep -v '^frame [0-9]*/' | grep -v '^ *$' >"$work/$name.log"
    echo "--- $name: exit $code, $(wc -l <"$work/$name.log") message lines"
    sed 's/^/    /' "$work/$name.log" | sort | uniq -c | sort -rn | head -20
    [ "$code" -eq 0 ] || fail "$name: exit code $code (124 is a hang); last messages: $(tail -5 "$work/$name.log")"
    grep -q "frame $(( 250 * fps ))/$(( 250 * fps ))" "$work/$name.raw" || fail "$name: the timeline was not rendered to its end"
    grep -qiE 'AddressSanitizer|runtime error|LeakSanitizer' "$work/$name.raw" && fail "$name: a sanitizer report"
    passed=$((passed + 1))
}

# expect NAME TEXT: the run printed TEXT (a fixed string).
expect() { grep -qF -- "$2" "$work/$1.log" || fail "$1: no message \"$2\""; }
# expect_none NAME TEXT: the run did not print TEXT.
expect_none() { ! grep -qF -- "$2" "$work/$1.log" || fail "$1: unexpected message \"$2\""; }

models="vesmir lod modul teren orx"
not_found() { echo "Kritická chxba TorEnginu: Unable to find the file: data/3ds/$1.3ds!"; }
no_primary() { echo "Kritická chxba TorEnginu: Unable to load PRIMARY chuck from file: data/3ds/$1.3ds!"; }

# Deterministic pseudo-random bytes: perl is part of every Debian system.
random_bytes() { perl -e 'srand($ARGV[1]); print pack("C*", map { int(rand(256)) } 1 .. $ARGV[0])' "$1" "$2"; }

# edit_3ds FILE CHUNK-ID ACTION: finds the first chunk with that id (descending through the containers)
# and either sets its length to 0xFFFFFFFF (length) or points its first face's first corner at vertex
# 65535 (face, for a face list of an object with fewer vertices).
edit_3ds() {
    perl -e '
        my ($path, $want, $action) = ($ARGV[0], hex($ARGV[1]), $ARGV[2]);
        open(my $f, "+<:raw", $path) or die "cannot open $path";
        local $/; my $d = <$f>;
        my %container = map { $_ => 1 } (0x4D4D, 0x3D3D, 0x4000, 0x4100, 0xAFFF, 0xA200);
        sub find { my ($d, $at, $end) = @_;
            while ($at + 6 <= $end) {
                my ($id, $len) = unpack("vV", substr($d, $at, 6));
                return $at if $id == $want;
                last if $len < 6 || $at + $len > $end;
                if ($container{$id}) {
                    my $in = $at + 6;
                    $in = index($d, "\0", $in) + 1 if $id == 0x4000;
                    my $hit = find($d, $in, $at + $len);
                    return $hit if defined $hit;
                }
                $at += $len;
            }
            return undef;
        }
        my $at = find($d, 0, length $d);
        die "no chunk $ARGV[1] in $path" unless defined $at;
        if ($action eq "length") { substr($d, $at + 2, 4) = pack("V", 0xFFFFFFFF); }
        else { substr($d, $at + 8, 2) = pack("v", 65535); }
        seek($f, 0, 0); print $f $d; close($f);
    ' "$@" || fail "could not edit $1"
}

# 1. No data/ at all: every model says it is missing; images and sounds fail silently.
mkdir -p "$work/none"
run_case none "$work/none"
expect none "has no data/ folder"
for m in $models teren2; do expect none "$(not_found $m)"; done

# 2. Every file cut to half its length.
root=$(copy_data half)
find "$root/data" -type f | while read -r f; do truncate -s $(( $(stat -c %s "$f") / 2 )) "$f"; done
run_case half "$root"
expect half "Premature end of JPEG file"
for m in $models; do expect_none half "$(not_found $m)"; done

# 3. Every file replaced by random bytes of the same length: no model has a primary chunk.
root=$(copy_data random)
seed=1
find "$root/data" -type f | sort | while read -r f; do
    random_bytes "$(stat -c %s "$f")" $((seed++)) >"$f.new" && mv "$f.new" "$f"
done
run_case random "$root"
for m in $models teren2; do expect random "$(no_primary $m)"; done

# 4. Every JPEG holds a TGA's bytes and every TGA a JPEG's: libjpeg says it is not a JPEG, the TGA
#    readers refuse the type; the models still load.
root=$(copy_data swapped)
tga=$(ls "$root"/data/textury/*.tga | head -n1)
jpg=$(ls "$root"/data/textury/*.jpg | head -n1)
cp "$tga" "$work/a.tga" && cp "$jpg" "$work/a.jpg"
for f in "$root"/data/textury/*.jpg; do cp "$work/a.tga" "$f"; done
for f in "$root"/data/textury/*.tga; do cp "$work/a.jpg" "$f"; done
run_case swapped "$root"
expect swapped "Not a JPEG file"
for m in $models; do expect_none swapped "$(no_primary $m)"; done

# 5. Face indices past the vertices: the first face of the first object of every model names vertex 65535.
root=$(copy_data faces)
for m in $models; do edit_3ds "$root/data/3ds/$m.3ds" 4120 face; done
run_case faces "$root"
for m in $models; do expect_none faces "$(no_primary $m)"; done

# 6. A chunk length of 0xFFFFFFFF: the primary chunk of one model, an inner chunk of each other one.
root=$(copy_data length)
edit_3ds "$root/data/3ds/vesmir.3ds" 4D4D length
edit_3ds "$root/data/3ds/lod.3ds" 4120 length
edit_3ds "$root/data/3ds/modul.3ds" 4110 length
edit_3ds "$root/data/3ds/teren.3ds" 4000 length
edit_3ds "$root/data/3ds/orx.3ds" AFFF length
run_case length "$root"
for m in $models; do expect_none length "$(not_found $m)"; done

echo "damaged_data: $passed passed, 0 failed"
