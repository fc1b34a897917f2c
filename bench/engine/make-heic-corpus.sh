#!/bin/bash
# HEIC files for the preview benchmark, made from photos by libheif's
# heif-enc (Debian's libheif-examples) at quality 50: DEST/thumb/ with a
# 320-pixel thumbnail, as phones store them, and DEST/plain/ without.
#
#   bench/engine/make-heic-corpus.sh PHOTOS DEST [COUNT]
#
# PHOTOS is a folder of JPEG photos (the corpus script's jpeg/ folder); the
# first COUNT of them in name order (all by default) are encoded. Files
# already made are kept, so an interrupted run can be resumed.
set -euo pipefail

PHOTOS=${1:?usage: make-heic-corpus.sh PHOTOS DEST [COUNT]}
DEST=${2:?usage: make-heic-corpus.sh PHOTOS DEST [COUNT]}
COUNT=${3:-0}
command -v heif-enc >/dev/null || { echo "heif-enc is needed (apt-get install libheif-examples)" >&2; exit 1; }

mkdir -p "$DEST/thumb" "$DEST/plain"
n=0
for f in "$PHOTOS"/*.jpg; do
    [ "$COUNT" -gt 0 ] && [ "$n" -ge "$COUNT" ] && break
    name=$(basename "$f" .jpg)
    [ -s "$DEST/thumb/$name.heic" ] || heif-enc -q 50 -t 320 -o "$DEST/thumb/$name.heic" "$f" >/dev/null
    [ -s "$DEST/plain/$name.heic" ] || heif-enc -q 50 -o "$DEST/plain/$name.heic" "$f" >/dev/null
    n=$((n + 1))
done
echo "$n photos in $DEST/thumb and $DEST/plain"
