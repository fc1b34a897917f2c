#!/usr/bin/env bash
# Makes small HEIC, AVIF and WebP seed files for heif_fuzzer and webp_fuzzer
# (and their hinted kinds) with the Debian encoders (libheif-examples, webp):
#   fuzz/codecs_lib/make_seeds.sh OUT
# writes OUT/heif/ and OUT/webp/.
set -euo pipefail
out=${1:?usage: make_seeds.sh OUT}
mkdir -p "$out/heif" "$out/webp"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 40 x 24 RGBA picture as PAM: gradients, a checker and an alpha ramp.
pam() {
    local w=40 h=24
    printf 'P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n' $w $h
    LC_ALL=C awk -v w=$w -v h=$h 'BEGIN {
        for (y = 0; y < h; y++) for (x = 0; x < w; x++) {
            c = ((int(x / 8) + int(y / 8)) % 2) ? 200 : 40
            printf "%c%c%c%c", int(x * 255 / (w - 1)), int(y * 255 / (h - 1)), c, int(x * 255 / (w - 1))
        }
    }'
}
pam > "$work/a.pam"
cwebp -quiet -lossless -exact "$work/a.pam" -o "$work/a.webp"
dwebp -quiet "$work/a.webp" -o "$work/alpha.png"
cwebp -quiet -q 90 -noalpha "$work/a.pam" -o "$work/o.webp"
dwebp -quiet "$work/o.webp" -o "$work/rgb.png"

heif-enc -q 50 "$work/rgb.png" -o "$out/heif/rgb.heic"
heif-enc -q 50 "$work/alpha.png" -o "$out/heif/alpha.heic"
heif-enc -q 50 "$work/rgb.png" -o "$out/heif/rgb.avif"
heif-enc -q 50 "$work/alpha.png" -o "$out/heif/alpha.avif"
heif-enc -q 50 -t 16 "$work/rgb.png" -o "$out/heif/thumb.heic"

cp "$work/a.webp" "$out/webp/lossless-alpha.webp"
cp "$work/o.webp" "$out/webp/lossy.webp"
cwebp -quiet -q 60 -alpha_q 50 "$work/a.pam" -o "$out/webp/lossy-alpha.webp"
img2webp -lossless "$work/alpha.png" -lossy "$work/rgb.png" -o "$out/webp/animated.webp"
printf 'Exif\0\0MM\0*\0\0\0\10\0\1\1\22\0\3\0\0\0\1\0\6\0\0\0\0\0\0' > "$work/exif.bin"
webpmux -set exif "$work/exif.bin" "$out/webp/lossy.webp" -o "$out/webp/exif.webp"
echo "seeds in $out/heif and $out/webp"
