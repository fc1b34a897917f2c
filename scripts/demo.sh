#!/usr/bin/env bash
# Runs a real batch over the bundled sample images (samples/, a sub-folder
# included): 160 x 120 JPEG thumbnails on a matte, the source tree mirrored,
# HTML gallery pages with an index, contact sheets and a batch log.
# Expects a built tree (make demo builds first). The run uses settings of
# its own, so the user's stored settings are neither read nor changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
case $build in /*) ;; *) build=$root/$build ;; esac
program=$build/vignettor
out=$build/demo
[ -x "$program" ] || { echo "demo: $program is missing; run 'make demo'" >&2; exit 1; }

config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p "$config/Ostrel Software"
cat > "$config/Ostrel Software/vignettor.conf" <<EOF
[vignettor]
MainWidth=160
MainHeight=120
MainResizeMethod=1
MainOutputFormat=4
JPGQuality=85
ImageMatte=1
ImageMatteColorRed=32
ImageMatteColorGreen=32
ImageMatteColorBlue=40
ImageSharpen=1
ImageSharpenLevel=15
OutputCreateFolder=1
OutputRecurseSrc=1
OutputDuplicateSrcTree=1
OutputFilterGIF=1
OutputSortFiles=1
HTMLLog=1
HTMLTable=1
HTMLTableCols=3
HTMLMaxImages=6
HTMLWriteTitles=1
HTMLMakeSrcLink=1
HTMLMakeFileLink=1
HTMLMakeIndex=1
HTMLHeader=<h2>Vignettor sample gallery</h2>
HTMLBackColorRed=24
HTMLBackColorGreen=24
HTMLBackColorBlue=28
CompositeMakeComposite=1
CompositeRows=3
CompositeCols=3
CompositeWriteToRoot=1
LogMakeLog=1
LogPath=$out/batch.log
LogHeader=1
LogInputName=1
LogInputDims=1
LogOutName=1
LogOutputDims=1
EOF

rm -rf "$out"
mkdir -p "$out"
echo "demo: $program /h /d $root/samples $out"
status=0
XDG_CONFIG_HOME=$config "$program" /h /d "$root/samples" "$out" || status=$?
echo "demo: written to $out:"
(cd "$out" && find . -type f | sort | sed 's|^\./|  |')
[ -f "$out/Thumbs0.htm" ] && echo "demo: open $out/Thumbs0.htm in a browser for the gallery"
exit $status
