#!/bin/sh
# The AppStream metadata as the build made it: valid for appstreamcli
# (without the network), launching the menu entry the installation has, and
# showing pictures that docs/images holds, in the sizes it says.
#   appstream_check.sh METAINFO SOURCE-ROOT
# Exit 77 (skipped) without appstreamcli.
set -eu
metainfo=$1
root=$2
command -v appstreamcli >/dev/null 2>&1 || { echo "appstreamcli is missing"; exit 77; }
fail() {
    echo "appstream: FAILED: $*" >&2
    exit 1
}

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

desktop=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -n "$desktop" ] || fail "no desktop-id launchable"
[ -f "$root/src/app/$desktop" ] || fail "the launchable $desktop is not the installed menu entry"

count=0
for entry in $(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/\([^/<]*\)</image>.*|\3:\1x\2|p' "$metainfo"); do
    name=${entry%%:*}
    size=${entry#*:}
    picture=$root/docs/images/$name
    [ -f "$picture" ] || fail "the screenshot $name is not in docs/images"
    real=$(file -b "$picture" | grep -oE '[0-9]+ ?x ?[0-9]+' | tail -n 1 | tr -d ' ')
    [ "$real" = "$size" ] || fail "$name is $real, the metadata says $size"
    count=$((count + 1))
done
[ "$count" -ge 1 ] || fail "no screenshots"
echo "appstream: valid, $count screenshots"
