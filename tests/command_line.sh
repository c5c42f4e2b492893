#!/bin/sh
# The three programs' command lines, run in an empty home folder without a display:
# every option --help lists works there, unknown options and arguments end with 2, and
# orbisk-cli registers a real folder tree and finds, lists and exports it.
set -u
program=$1 cli=$2 new_catalog=$3
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export HOME="$home" XDG_DATA_HOME="" XDG_CACHE_HOME="" LANG=C.UTF-8 LC_ALL=

# orbisk: --help names the catalogue in use, and lists nothing a display would be needed for.
help=$("$program" --help) || fail "orbisk --help ended with $?"
echo "$help" | grep -q -- "--catalog FILE" || fail "--help does not list --catalog"
echo "$help" | grep -q -- "--help-all" && fail "--help lists --help-all"
echo "$help" | grep -qx "Catalogue in use: $home/.local/share/orbisk/Orbisk.mdb" ||
    fail "--help does not name the catalogue in the data folder"
[ "$("$program" -h | tail -n 1)" = "Catalogue in use: $home/.local/share/orbisk/Orbisk.mdb" ] ||
    fail "-h"
help=$("$program" --catalog "$home/mine.mdb" --help)
echo "$help" | grep -qx "Catalogue in use: $home/mine.mdb" || fail "--catalog is not used"
for option in --version -v; do
    [ "$("$program" $option)" = "orbisk 1.0" ] || fail "orbisk $option"
done
"$program" --no-such-option >"$home/out" 2>"$home/err"
status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with $status"
[ -s "$home/out" ] && fail "an unknown option wrote to standard output"
grep -q "Unknown option '--no-such-option'" "$home/err" || fail "no reason on standard error"
grep -q "Usage:" "$home/err" || fail "no usage on standard error"
"$program" stray 2>/dev/null
[ $? -eq 2 ] || fail "an argument that is no option was taken"
[ -e "$home/.local" ] && fail "the command line made files"

# orbisk-new-catalog: options are options, never file names.
mkdir "$home/tool"
cd "$home/tool"
"$new_catalog" --help | grep -q "Usage: orbisk-new-catalog FILE" || fail "new-catalog --help"
[ "$("$new_catalog" --version)" = "orbisk-new-catalog 1.0" ] || fail "new-catalog --version"
"$new_catalog" -x 2>/dev/null
[ $? -eq 2 ] || fail "new-catalog took -x"
"$new_catalog" 2>/dev/null
[ $? -eq 2 ] || fail "new-catalog without a file"
[ -n "$(ls -A "$home/tool")" ] && fail "new-catalog made a file of an option: $(ls -A "$home/tool")"
"$new_catalog" "$home/cat.mdb" || fail "new-catalog did not create a catalogue"
"$new_catalog" "$home/cat.mdb" 2>/dev/null
[ $? -eq 1 ] || fail "new-catalog overwrote a catalogue"
"$new_catalog" ./-dash.mdb || fail "a name starting with - written ./-dash.mdb"

# orbisk-cli on a real folder tree.
mkdir -p "$home/disc/docs" "$home/disc/photos" "$home/empty"
printf 'notes' >"$home/disc/notes.txt"
printf 'readme' >"$home/disc/docs/readme.txt"
printf 'report' >"$home/disc/docs/Report 2003.doc"
printf 'jpeg' >"$home/disc/photos/ｶﾞｲﾄﾞ.jpg"
mkdir -p "$home/packed/inner"
printf 'packed' >"$home/packed/inner/packed.txt"
(cd "$home/packed" && zip -q -r "$home/disc/old.zip" inner) || fail "zip"
c="--catalog $home/cat.mdb"
"$cli" --help | grep -q "^Catalogue in use: " || fail "cli --help"
[ "$("$cli" --version)" = "orbisk-cli 1.0" ] || fail "cli --version"
"$cli" $c add "$home/disc" --title "Disc 1" 2>"$home/err" || fail "add: $(cat "$home/err")"
grep -qx "Done." "$home/err" || fail "add said: $(cat "$home/err")"
[ "$("$cli" $c find '*.txt' | sort)" = "$(printf '%s\tDisc 1\n%s\tDisc 1\n%s\tDisc 1\t%s' \
    "$home/disc/docs/readme.txt" "$home/disc/notes.txt" "$home/disc/old.zip" \
    inner/packed.txt)" ] || fail "find *.txt"
"$cli" $c find 'packed.txt' --json | grep -q '"member": "inner/packed.txt"' ||
    fail "find --json of a packed file"
[ "$("$cli" $c find '*がいど*')" = "$(printf '%s\tDisc 1' "$home/disc/photos/ｶﾞｲﾄﾞ.jpg")" ] ||
    fail "find by the catalogue's rule"
"$cli" $c find '*report*' --title 'disc 1' --json | grep -q '"name": "Report 2003.doc"' ||
    fail "find --json"
[ "$("$cli" $c titles)" = "Disc 1" ] || fail "titles"
[ "$("$cli" $c discs | cut -f 1-3)" = "$(printf 'Disc 1\t1\t5')" ] || fail "discs"
"$cli" $c export - | grep -q "notes.txt,Disc 1,notes.txt,txt,0," || fail "export -"
"$cli" $c verify "$home/disc" >"$home/out" || fail "verify: $(cat "$home/out")"
[ "$(cut -f 1 "$home/out" | sort -u)" = "same" ] || fail "verify said: $(cat "$home/out")"
"$cli" $c discs | cut -f 7-11 | grep -qx "$(printf '5	0	0	0	0')" || fail "discs verified"
"$cli" $c export "$home/all.csv" && [ -s "$home/all.csv" ] || fail "export FILE"
"$cli" $c index || fail "index"
[ "$("$cli" $c find '*report*')" = "$(printf '%s\tDisc 1' "$home/disc/docs/Report 2003.doc")" ] ||
    fail "find through the index"
ls "$home"/cat.mdb-* 2>/dev/null && fail "the catalogue's journal files were left"
"$cli" $c find 'packed.txt' --json | grep -q '"size": 0, "bytes": 6, "member"' ||
    fail "find --json: a packed file's own sizes, as numbers"

# A disc whose first folder only is another's is a new disc, registered without a question.
mkdir -p "$home/A/DATA" "$home/B/DATA"
printf 'a' >"$home/A/DATA/a.dat"
for n in 1 2 3; do printf 'b%s' $n >"$home/B/DATA/b$n.dat"; done
"$cli" $c add "$home/A" --title Older 2>/dev/null || fail "add A"
"$cli" $c add "$home/B" --title New </dev/null 2>"$home/err" ||
    fail "B taken for A by its first folder: $(cat "$home/err")"

# Exit codes, and messages in the user's language.
"$cli" $c add "$home/disc" --title ALL 2>/dev/null
[ $? -eq 4 ] || fail "add ALL was not refused with 4"
"$cli" $c add "$home/empty" --title Empty 2>/dev/null
[ $? -eq 5 ] || fail "add of an empty folder did not end with 5"
LANG=ja_JP.UTF-8 "$cli" $c add "$home/disc" --title "Disc 1" 2>"$home/err"
[ $? -eq 4 ] || fail "a disc registered before was not refused without --yes"
grep -q "登録済みです" "$home/err" || fail "no Japanese question: $(cat "$home/err")"
"$cli" --catalog "$home/none.mdb" titles 2>"$home/err"
[ $? -eq 1 ] || fail "a missing catalogue did not end with 1"
grep -q "There is no such file." "$home/err" || fail "no English reason: $(cat "$home/err")"
mkfifo "$home/fifo"
timeout 5 "$cli" --catalog "$home/fifo" titles 2>"$home/err"
[ $? -eq 1 ] || fail "a FIFO as catalogue did not end with 1"
grep -q "named pipe" "$home/err" || fail "a FIFO was not named: $(cat "$home/err")"
"$cli" $c bogus 2>/dev/null
[ $? -eq 2 ] || fail "an unknown command did not end with 2"

# Outside a Japanese locale no line of any run is Japanese (names and titles aside), even
# where the core says something the table of a translator would miss; in a Japanese
# locale even a wrong command line is told in Japanese.
english() {
    perl -CSD -ne '$j = 1 if /[\x{3000}-\x{30ff}\x{4e00}-\x{9fff}\x{ff01}-\x{ff5e}]/;
                   END { exit($j ? 1 : 0) }' "$home/said" || fail "Japanese under LANG=C: $*
$(cat "$home/said")"
}
c2="--catalog $home/second.mdb"
"$new_catalog" "$home/second.mdb" || fail "second catalogue"
"$cli" $c2 add "$home/disc" --title Second 2>"$home/said" || fail "add: $(cat "$home/said")"
english "add"
grep -qx "1 file packed in 1 archive was registered too." "$home/said" ||
    fail "the archives in English: $(cat "$home/said")"
for run in "$c2 add $home/disc --title Again" \
    "$c2 add $home/disc --title ALL" "$c2 add $home/empty --title Empty" "$c2 frobnicate" \
    "$c2 find" "$c2 --title" "$c2 --bogus" "$c2 titles --json" "--help" \
    "--catalog $home/none.mdb titles" "--catalog $home/none.mdb find x" \
    "--catalog $home/none.mdb discs" "--catalog $home/none.mdb export -" \
    "--catalog $home/disc index" "$c2 export $home/nofolder/x.csv"; do
    "$cli" $run >"$home/said" 2>&1 </dev/null
    english "orbisk-cli $run"
done
"$cli" $c2 add "$home/disc" --title Third 2>"$home/said"
grep -qx 'This disc is registered as "Second". Register it again? -> no (--yes answers yes)' \
    "$home/said" || fail "the question in English: $(cat "$home/said")"
for run in "--bogus" "--help" "stray"; do
    "$program" $run >"$home/said" 2>&1
    english "orbisk $run"
done
LANG=ja_JP.UTF-8 "$cli" frobnicate 2>"$home/err"
[ $? -eq 2 ] || fail "frobnicate under a Japanese locale"
grep -q "コマンド「frobnicate」はありません。" "$home/err" || fail "frobnicate: $(cat "$home/err")"
grep -q "^使い方: orbisk-cli" "$home/err" || fail "usage not in Japanese: $(cat "$home/err")"
LANG=ja_JP.UTF-8 "$program" --help | grep -q "^使い方: orbisk" || fail "orbisk --help in Japanese"
LC_ALL=ja_JP.UTF-8 "$cli" $c2 add "$home/disc" --title Fourth 2>"$home/err"
grep -q "このディスクは「Second」として登録済みです。" "$home/err" || fail "LC_ALL: $(cat "$home/err")"

# Hostile names: every hit is one line of its fields, which a script reads back to the
# very file; with -0 the same, NUL-separated and raw.
tab=$(printf '\t') esc=$(printf '\033')
mkdir -p "$home/hostile/sub"
printf 'x' >"$home/hostile/innocent.txt${tab}HOSTILE
forged_line.txt"
printf 'x' >"$home/hostile/back\\slash\\n.txt"
printf 'x' >"$home/hostile/sub/red${esc}[31m$(printf '\302\233')2J.txt"
printf 'x' >"$home/hostile/plain.txt"
"$cli" $c add "$home/hostile" --title Hostile 2>/dev/null || fail "add of hostile names"
"$cli" $c find '*' --title Hostile >"$home/lines" || fail "find of hostile names"
# Undoes the escapes of each line; every line must be a path, a tab and the title, and the
# path an existing file.
unescape='sub u { my $f = shift; $f =~ s/\\(x([0-9a-f]{2})|t|n|\\)/
    defined $2 ? chr(hex $2) : $1 eq "t" ? "\t" : $1 eq "n" ? "\n" : "\\"/ge; $f }'
perl -ne "$unescape"'
    chomp; my @f = split /\t/, $_, -1;
    die "fields: $_\n" unless @f == 2 && u($f[1]) eq "Hostile" && -f u($f[0]);
    die "raw control character: $_\n" if grep { /[\x00-\x1f\x7f]|\xc2[\x80-\x9f]/ } @f;
    END { die "lines: $.\n" unless $. == 4 }' "$home/lines" || fail "hostile lines: $(cat "$home/lines")"
"$cli" $c find '*' --title Hostile -0 | perl -0 -ne '
    chomp; push @f, $_;
    END { die "fields: @f\n" unless @f == 12;
          for (my $i = 0; $i < @f; $i += 3) {
              die "hit $i\n" unless -f $f[$i] && $f[$i + 1] eq "Hostile" && $f[$i + 2] eq "" } }' ||
    fail "find -0"

# Titles: a control character is refused where a title is made; one already in the
# catalogue still works and is listed on one line.
for title in "A${tab}B" "A
B" "A${esc}[2JB"; do
    "$cli" $c add "$home/disc" --title "$title" --yes 2>"$home/err"
    [ $? -eq 4 ] || fail "a title with a control character was taken"
    grep -q "control character" "$home/err" || fail "no reason: $(cat "$home/err")"
done
sqlite3 "$home/cat.mdb" "Update MediaTable Set メディア名 = 'Old' || char(10) || 'Line'
                         Where メディア名 = 'Disc 1'; Insert Into MediaName Values ('Old' || char(10) || 'Line')"
[ "$("$cli" $c titles | grep -c 'Old\\nLine')" -eq 1 ] || fail "titles: $("$cli" $c titles)"
[ "$("$cli" $c titles | wc -l)" -eq "$("$cli" $c titles -0 | tr -cd '\0' | wc -c)" ] ||
    fail "a title of two lines counted twice"
[ "$("$cli" $c find 'notes.txt' --title "Old
Line" | cut -f 2)" = 'Old\nLine' ] || fail "find of a title with a line break"

# A message quoting a name says its control characters, never sends them to the terminal.
"$cli" --catalog "$home/x${esc}[2J.mdb" titles 2>"$home/err"
[ $? -eq 1 ] || fail "a missing catalogue with an escape in its name"
grep -q "$esc" "$home/err" && fail "an escape reached the terminal: $(cat "$home/err")"
grep -qF 'x\x1b[2J.mdb' "$home/err" || fail "the escape was not said: $(cat "$home/err")"

# Output that cannot be written is a failure, said on standard error.
for command in "find *.txt" "find *.txt --json" "titles" "discs" "export -" "--help"; do
    "$cli" $c $command >/dev/full 2>"$home/err"
    [ $? -eq 1 ] || fail "$command to /dev/full did not end with 1"
    grep -q "No space left on device" "$home/err" || fail "$command: $(cat "$home/err")"
done
mkdir "$home/small"
if mount -t tmpfs -o size=64k tmpfs "$home/small" 2>/dev/null; then
    mkdir -p "$home/many"
    i=0
    while [ $i -lt 1500 ]; do
        : >"$home/many/a-long-name-that-fills-the-small-disk-quickly-$i.txt"
        i=$((i + 1))
    done
    "$cli" $c add "$home/many" --title Many 2>/dev/null || fail "add many"
    "$cli" $c find '*long*' >"$home/small/out" 2>"$home/err"
    status=$?
    umount "$home/small"
    [ $status -eq 1 ] || fail "find to a full disk ended with $status"
    grep -q "No space left on device" "$home/err" || fail "full disk: $(cat "$home/err")"
fi

# add-images: every image under a folder once, each under its label made unique (two
# images of one label are two discs), a file that is no image said so, and an image
# registered before passed over by its identity, not by its title.
mkdir -p "$home/images/src1" "$home/images/src2" "$home/isos/sub"
echo one >"$home/images/src1/one.txt"
echo two >"$home/images/src2/two.txt"
xorriso -as mkisofs -R -J -V PHOTOS -o "$home/isos/one.iso" "$home/images/src1" 2>/dev/null
xorriso -as mkisofs -R -J -V PHOTOS -o "$home/isos/sub/two.iso" "$home/images/src2" 2>/dev/null
echo junk >"$home/isos/bad.img"
ci="--catalog $home/images.mdb"
"$new_catalog" "$home/images.mdb" || fail "images catalogue"
"$cli" $ci add-images "$home/isos" --dry-run >"$home/out" 2>"$home/said"
[ $? -eq 1 ] || fail "add-images with an unreadable image did not end with 1"
printf '%s\tunreadable\t\n%s\twould-register\tPHOTOS\n%s\twould-register\tPHOTOS (2)\n' \
    "$home/isos/bad.img" "$home/isos/one.iso" "$home/isos/sub/two.iso" >"$home/want"
cmp -s "$home/out" "$home/want" || fail "add-images --dry-run: $(cat "$home/out")"
[ -z "$("$cli" $ci titles)" ] || fail "--dry-run registered"
rm "$home/isos/bad.img"
"$cli" $ci add-images "$home/isos" >"$home/out" 2>"$home/said" || fail "add-images: $(cat "$home/said")"
english "add-images"
grep -qx "$home/isos/sub/two.iso	registered	PHOTOS (2)" "$home/out" || fail "add-images: $(cat "$home/out")"
[ "$("$cli" $ci find 'two.txt')" = "$home/isos/sub/two.iso/two.txt	PHOTOS (2)" ] ||
    fail "an image's file is not found under its image's path"
"$cli" $ci add-images "$home/isos" >"$home/out" 2>/dev/null || fail "add-images again"
[ "$(cut -f2 "$home/out" | sort -u)" = "registered-before" ] || fail "again: $(cat "$home/out")"
[ "$("$cli" $ci titles | wc -l)" -eq 2 ] || fail "an image was registered twice"

# copy: the files of the images at their place and of a folder-backed disc (a packed one
# taken out of its archive), each disc and file checked as COPY checks them, no question;
# an image gone, another image in an image's place and a folder that takes no file are
# said, and the exit code tells which.
"$cli" $ci add "$home/disc" --title "Disc 1" 2>/dev/null || fail "add a folder to the images' catalogue"
mkdir "$home/copied" "$home/copied2" "$home/copied3"
"$cli" $ci copy '*.txt' --to "$home/copied" --log "$home/copy.log" >"$home/out" 2>"$home/said" ||
    fail "copy ended with $?: $(cat "$home/said")"
english "copy"
[ -s "$home/said" ] && fail "copy of what is at hand said: $(cat "$home/said")"
for copy in images/src1/one.txt images/src2/two.txt disc/notes.txt disc/docs/readme.txt \
    packed/inner/packed.txt; do
    cmp -s "$home/$copy" "$home/copied/${copy##*/}" || fail "copy: ${copy##*/} differs"
done
[ "$(cut -f2 "$home/out" | sort | uniq -c | tr -s ' ')" = " 5 copied" ] || fail "copy: $(cat "$home/out")"
[ "$(grep -c '^\*\*\*Copy Normal End'"$(printf '\r')"'$' "$home/copy.log")" -eq 5 ] ||
    fail "copy log: $(cat "$home/copy.log")"
grep -qx "$home/isos/sub/two.iso/two.txt$(printf '\r')" "$home/copy.log" || fail "copy log names no image path"
mv "$home/isos/sub/two.iso" "$home/two-moved.iso"
"$cli" $ci copy '*.txt' --to "$home/copied2" >"$home/out" 2>"$home/said"
[ $? -eq 6 ] || fail "copy with an image gone did not end with 6"
english "copy, an image gone"
grep -qx "$home/isos/sub/two.iso/two.txt	not-reached	PHOTOS (2)" "$home/out" || fail "gone: $(cat "$home/out")"
grep -qx "The image file \"$home/isos/sub/two.iso\" of \"PHOTOS (2)\" is not at its place." \
    "$home/said" || fail "gone image not named: $(cat "$home/said")"
[ -e "$home/copied2/two.txt" ] && fail "a gone image's file was copied"
cmp -s "$home/copied2/one.txt" "$home/images/src1/one.txt" || fail "the image at hand was not copied"
LANG=ja_JP.UTF-8 "$cli" $ci copy two.txt --to "$home/copied2" 2>"$home/said" >/dev/null
grep -q "が見つかりません" "$home/said" || fail "no Japanese: $(cat "$home/said")"
mkdir -p "$home/images/src3"
echo 'not two' >"$home/images/src3/two.txt"
xorriso -as mkisofs -R -J -V PHOTOS -o "$home/isos/sub/two.iso" "$home/images/src3" 2>/dev/null
"$cli" $ci copy two.txt --to "$home/copied3" >"$home/out" 2>"$home/said"
[ $? -eq 6 ] || fail "another image in an image's place was not refused"
grep -qx 'This disc is not "PHOTOS (2)".' "$home/said" || fail "wrong image: $(cat "$home/said")"
[ -e "$home/copied3/two.txt" ] && fail "a file of another image was copied"
mv "$home/two-moved.iso" "$home/isos/sub/two.iso"
"$cli" $ci copy two.txt --to "$home/disc/notes.txt" >"$home/out" 2>"$home/said"
[ $? -eq 1 ] || fail "copy into a file did not end with 1"
grep -q "cannot be written: Not a directory" "$home/said" || fail "into a file: $(cat "$home/said")"
mkdir "$home/read-only"
if mount -t tmpfs -o ro tmpfs "$home/read-only" 2>/dev/null; then
    "$cli" $ci copy two.txt --to "$home/read-only" >"$home/out" 2>"$home/said"
    status=$?
    umount "$home/read-only"
    [ $status -eq 1 ] || fail "copy into a read-only folder ended with $status"
    grep -q "Read-only file system" "$home/said" || fail "read-only: $(cat "$home/said")"
fi

# A relative XDG folder is ignored: the folders in the home folder are used.
mkdir "$home/elsewhere"
cd "$home/elsewhere"
XDG_DATA_HOME=relative/data "$program" --help | grep -qx \
    "Catalogue in use: $home/.local/share/orbisk/Orbisk.mdb" || fail "orbisk took a relative XDG_DATA_HOME"
XDG_DATA_HOME=relative/data "$cli" --help | grep -qx \
    "Catalogue in use: $home/.local/share/orbisk/Orbisk.mdb" || fail "cli took a relative XDG_DATA_HOME"
XDG_CACHE_HOME=relative/cache "$cli" $c index || fail "index with a relative XDG_CACHE_HOME"
[ -e "$home/elsewhere/relative" ] && fail "a relative XDG_CACHE_HOME was used"
ls -d "$home"/.cache/orbisk/*.names >/dev/null 2>&1 || fail "no index in ~/.cache/orbisk"
echo "command lines as expected"
