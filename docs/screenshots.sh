#!/usr/bin/env bash
# Takes the README's and the help window's screenshots from the real window: builds a small
# sample tree with duplicates of several size classes in a temporary folder (and a second one of
# photos, for a protected folder and Replace Files with Links), starts Quilder on
# a virtual X display (Xvfb, no window manager), drives it through the accessibility bus as a
# user would, and writes docs/*.png. Re-run it after a change to the window.
#   docs/screenshots.sh [BUILD_DIR]        (default: build; the program must be built)
# Needs: xvfb xdotool imagemagick python3-pyatspi dbus-x11 at-spi2-core
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
program="$build_dir/shell/quilder"
if [[ ! -x $program ]]; then
    echo "screenshots.sh: $program is missing; build first (./build.sh run, or cmake --build $build_dir)" >&2
    exit 1
fi
missing=()
for tool in Xvfb xdotool import convert dbus-launch /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null 2>&1 || [[ -x $tool ]] || missing+=("$tool")
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
if ((${#missing[@]})); then
    echo "screenshots.sh: missing ${missing[*]}; install them with" >&2
    echo "    sudo apt-get install xvfb xdotool imagemagick python3-pyatspi dbus-x11 at-spi2-core" >&2
    exit 1
fi

# The sample alone in its temporary folder, so that the tree shows nothing else beside it; a copy
# of the program in the build folder, so that its work store and its lock are its own, whatever
# Quilder runs from this build meanwhile. Both go when the script ends.
work=$(mktemp -d "${TMPDIR:-/tmp}/quilder-shots.XXXXXX")
more_work=$(mktemp -d "${TMPDIR:-/tmp}/quilder-photos.XXXXXX")
copy_of_program=$(mktemp -d "$(cd "$build_dir" && pwd)/screenshots.XXXXXX")
trap 'rm -rf "$work" "$more_work" "$copy_of_program"' EXIT
cp "$program" "$copy_of_program/quilder"

# The sample: every file has a copy under Backup. Sizes give one group per class shown; the two
# clips are of equal size but differ, which only Delete's byte-for-byte check finds out.
sample="$work/sample"
into=$sample # the tree the helpers below write in
seeded() { # seeded PATH SIZE SEED: the same bytes on every run
    mkdir -p "$(dirname "$into/$1")"
    /usr/bin/python3 -c 'import random,sys; r=random.Random(sys.argv[2]); sys.stdout.buffer.write(r.randbytes(int(sys.argv[1])))' "$2" "$3" > "$into/$1"
}
copy() { mkdir -p "$(dirname "$into/$2")"; cp -p "$into/$1" "$into/$2"; }
when() { touch -d "$1" "$into/$2"; }
# Fixed times, different for each file, so that every run shows the same dates.
stamp_all() {
    local stamp=0 f
    while IFS= read -r -d '' f; do
        stamp=$((stamp + 1))
        when "2026-0$((stamp % 9 + 1))-$((stamp % 27 + 1)) $((stamp % 12 + 8)):$((stamp * 7 % 60)):$((stamp * 13 % 60))" "$f"
    done < <(cd "$into" && find . -type f -print0 | sort -z)
}

seeded Documents/report.pdf 48213 report
seeded Documents/letter.odt 6144 letter
printf 'Shopping: bread, milk, apples.\nCall the garage on Monday.\n' > "$sample/Documents/notes.txt"
seeded Pictures/beach.jpg 431870 beach
seeded Pictures/sunset.jpg 61440 sunset
seeded Music/song.ogg 3355443 song
mkdir -p "$sample/Videos" "$sample/Tools"
truncate -s 115343360 "$sample/Videos/film.mkv"       # 110 MB, all zeros, no disk blocks
truncate -s 12582912 "$sample/Videos/clip.webm"       # 12 MB
printf 'take one' | dd of="$sample/Videos/clip.webm" bs=1 seek=4096 conv=notrunc status=none
printf '#!/bin/sh\n# Moves the camera folder into Pictures.\nmv "$HOME/DCIM"/* "$HOME/Pictures/"\n' \
    > "$sample/Tools/tidy-up"
chmod +x "$sample/Tools/tidy-up"

copy Documents/report.pdf "Downloads/report (1).pdf"
for f in Documents/report.pdf Documents/letter.odt Documents/notes.txt Pictures/beach.jpg \
         Music/song.ogg Videos/film.mkv Tools/tidy-up; do
    copy "$f" "Backup/$f"
done
copy Pictures/sunset.jpg "Backup/Pictures/sunset (copy).jpg"
truncate -s 12582912 "$sample/Backup/Videos/clip.webm"
printf 'take two' | dd of="$sample/Backup/Videos/clip.webm" bs=1 seek=4096 conv=notrunc status=none

stamp_all

# The second sample, for Protect This Folder and Replace Files with Links: photos kept in
# Archive (the folder the window protects) and their copies from the camera and the phone. It
# has a temporary folder of its own, so that the first pictures show nothing of it. The links
# are hard links where TMPDIR's file system shares no extents (ext4, tmpfs), as in the pictures.
into="$more_work/photos"
# Enough folders to fill the tree's view.
for d in Archive/2021 Archive/2022 Archive/2023 Archive/2024 Archive/2025 Camera Edited Phone \
         Prints Scans Screenshots Trips Wallpapers; do
    mkdir -p "$into/$d"
done
seeded Archive/2024/harbour.jpg 231517 harbour
seeded Archive/2025/garden.jpg 158902 garden
seeded Camera/IMG_2061.jpg 87340 cat
copy Archive/2024/harbour.jpg Camera/IMG_2044.jpg
copy Archive/2024/harbour.jpg Phone/harbour.jpg
copy Archive/2025/garden.jpg Camera/IMG_2057.jpg
copy Camera/IMG_2061.jpg Phone/cat.jpg
stamp_all

/usr/bin/python3 docs/screenshots.py "$copy_of_program/quilder" "$sample" docs "$into"
