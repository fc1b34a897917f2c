#!/bin/bash
# Makes the benchmark corpus that the README's speed figures are measured on:
# photographs and artwork from Debian 12 wallpaper packages, listed in
# bench/corpus-sources.tsv, turned into camera-like files. No image is kept
# in the repository; this script makes them again, the same bytes each time
# with the same ImageMagick.
#
#   bench/make-corpus.sh DEST [WORK]
#
# DEST/jpeg/p001.jpg ...  one JPEG per source (baseline, quality 92, 4:2:0,
#                         sRGB, no metadata, alpha flattened on white).
#                         Sources under 8 megapixels are enlarged (Lanczos)
#                         to about 12 megapixels, the others keep their size.
# DEST/mixed/m001.* ...   the first 36 of them in six formats in turn: JPEG,
#                         PNG, 24-bit BMP, uncompressed TIFF, 256-colour GIF,
#                         24-bit PCX.
# DEST/small/p001.jpg ... all of them at most 1600 pixels on the long side
#                         (quality 90), the size of pictures on the web.
# DEST/manifest.tsv       every file with its package, source path, licence,
#                         size and whether it was enlarged.
#
# WORK holds the downloaded packages and their contents (a new temporary
# folder by default, removed at the end). Files already in DEST are kept,
# so an interrupted run can be resumed. SOURCES=FILE reads another list.
#
# Needs apt-get (after 'apt-get update'), dpkg-deb and ImageMagick 6
# (apt-get install imagemagick).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
DEST=${1:?usage: make-corpus.sh DEST [WORK]}
SOURCES=${SOURCES:-$here/corpus-sources.tsv}
CONVERT=${CONVERT:-convert}
IDENTIFY=${IDENTIFY:-identify}
for tool in apt-get dpkg-deb "$CONVERT" "$IDENTIFY"; do
    command -v "$tool" >/dev/null || { echo "make-corpus.sh: $tool is needed" >&2; exit 1; }
done
if [ $# -ge 2 ]; then
    WORK=$2
else
    WORK=$(mktemp -d)
    trap 'rm -rf "$WORK"' EXIT
fi
jobs=$(nproc)
mkdir -p "$DEST/jpeg" "$DEST/mixed" "$DEST/small" "$WORK/debs" "$WORK/root"

# The sources: package, path, licence; comments and empty lines left out.
mapfile -t rows < <(grep -v -e '^#' -e '^[[:space:]]*$' "$SOURCES")
[ "${#rows[@]}" -gt 0 ] || { echo "make-corpus.sh: no sources in $SOURCES" >&2; exit 1; }

# Each package once, unpacked beside the others.
mapfile -t packages < <(printf '%s\n' "${rows[@]}" | cut -f1 | sort -u)
for pkg in "${packages[@]}"; do
    [ -d "$WORK/root/$pkg" ] && continue
    (cd "$WORK/debs" && apt-get download "$pkg" >/dev/null)
    mkdir -p "$WORK/root/$pkg"
    dpkg-deb -x "$WORK"/debs/"${pkg}"_*.deb "$WORK/root/$pkg"
done

pixels() { "$IDENTIFY" -ping -format '%w %h\n' "$1[0]"; }
enlarged() {  # SOURCE: whether it is under 8 megapixels
    local w h
    read -r w h < <(pixels "$1")
    [ $((w * h)) -lt 8000000 ]
}

# A camera-like JPEG: SOURCE OUT.
photo() {
    local grow=()
    if enlarged "$1"; then grow=(-filter Lanczos -resize 12000000@); fi
    "$CONVERT" "$1" -background white -alpha remove -alpha off -colorspace sRGB -type TrueColor \
        "${grow[@]}" -strip -sampling-factor 2x2,1x1,1x1 -interlace none -quality 92 "$2"
}

# One file of the mixed set: FORMAT PHOTO OUT.
mixed() {
    case $1 in
        jpg) cp "$2" "$3" ;;
        png) "$CONVERT" "$2" "$3" ;;
        bmp) "$CONVERT" "$2" -type TrueColor "BMP3:$3" ;;
        tif) "$CONVERT" "$2" -compress None "$3" ;;
        gif) "$CONVERT" "$2" -dither FloydSteinberg -colors 256 "$3" ;;
        pcx) "$CONVERT" "$2" -type TrueColor "$3" ;;
    esac
}

# A web-sized copy: PHOTO OUT.
small() { "$CONVERT" "$1" -resize '1600x1600>' -quality 90 "$2"; }

export -f pixels enlarged photo mixed small
export CONVERT IDENTIFY

# Runs "FUNCTION ARGS..." lines (fields split by tabs) on every core; a line
# whose last field (the output) exists already is left out.
run_all() {
    local fn=$1 line out
    while IFS= read -r line; do
        out=${line##*$'\t'}
        [ -s "$out" ] || printf '%s\0' "$line"
    done | xargs -0 -r -P "$jobs" -I{} bash -c 'IFS=$'"'"'\t'"'"' read -r -a a <<< "$1"; '"$fn"' "${a[@]}"' _ {}
}

n=${#rows[@]}
k=0
for row in "${rows[@]}"; do
    IFS=$'\t' read -r pkg path _ <<< "$row"
    k=$((k + 1))
    src="$WORK/root/$pkg/$path"
    [ -f "$src" ] || { echo "make-corpus.sh: $pkg has no $path" >&2; exit 1; }
    printf '%s\t%s\n' "$src" "$DEST/jpeg/$(printf 'p%03d.jpg' "$k")"
done | run_all photo

formats=(jpg png bmp tif gif pcx)
for k in $(seq 1 $((n < 36 ? n : 36))); do
    printf '%s\t%s\t%s\n' "${formats[$(((k - 1) % 6))]}" "$(printf '%s/jpeg/p%03d.jpg' "$DEST" "$k")" \
        "$(printf '%s/mixed/m%03d.%s' "$DEST" "$k" "${formats[$(((k - 1) % 6))]}")"
done | run_all mixed

for f in "$DEST"/jpeg/p*.jpg; do
    printf '%s\t%s\n' "$f" "$DEST/small/$(basename "$f")"
done | run_all small

{
    printf 'file\tpackage\tsource\tlicence\twidth\theight\tbytes\tupscaled\n'
    k=0
    for row in "${rows[@]}"; do
        IFS=$'\t' read -r pkg path licence <<< "$row"
        k=$((k + 1))
        name=$(printf 'p%03d.jpg' "$k")
        read -r w h < <(pixels "$DEST/jpeg/$name")
        grown=no
        enlarged "$WORK/root/$pkg/$path" && grown=yes
        printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$pkg" "$path" "$licence" "$w" "$h" \
            "$(stat -c %s "$DEST/jpeg/$name")" "$grown"
    done
} > "$DEST/manifest.tsv"

echo "corpus in $DEST: $n photos in jpeg/, $(ls "$DEST/mixed" | wc -l) in mixed/, $(ls "$DEST/small" | wc -l) in small/"
