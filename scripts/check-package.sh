#!/usr/bin/env bash
# CI: builds the Debian package (make package), installs it with dpkg, uses
# it from PATH as a user would (a batch over samples/, the manual pages, the
# desktop entry, the file-manager command's registration in a home of its
# own), removes it and checks that nothing of it is left.
# Installing needs root, or sudo without a password; without either the
# package is built and the rest skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${BUILD:-build}
case $build in /*) ;; *) build=$root/$build ;; esac

say() { echo "check-package: $*"; }
fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}

make package BUILD="$build"
deb=$(ls -t "$build"/vignettor_*.deb | head -n 1)
say "built $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

if [[ $(id -u) -eq 0 ]]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo=(sudo -n)
else
    say "SKIPPED the installation checks: installing a package needs root or sudo without a password"
    exit 0
fi
if dpkg-query -W -f='${db:Status-Status}' vignettor 2>/dev/null | grep -q '^installed$'; then
    say "SKIPPED the installation checks: vignettor is installed on this machine already, and this check would remove it"
    exit 0
fi

work=$(mktemp -d)
installed=0
cleanup() {
    if [[ $installed -eq 1 ]]; then "${sudo[@]}" dpkg -r vignettor >/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Depends: every package the programs link, and fonts-liberation for the labels.
depends=$(dpkg-deb -f "$deb" Depends)
for want in libc6 libqt6widgets6 libqt6svg6 libjpeg62-turbo libpng16-16 libtiff6 libfreetype6 \
    libfontconfig1 fonts-liberation; do
    [[ $depends == *"$want"* ]] || fail "Depends lacks $want: $depends"
done
[[ $(dpkg-deb -f "$deb" Section) == graphics ]] || fail "Section is not graphics"
[[ $(dpkg-deb -f "$deb" Version) == "$(sed -n 's/^project(vignettor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ]] ||
    fail "the package's version is not the program's"

"${sudo[@]}" dpkg -i "$deb"
installed=1
dpkg -L vignettor | sort > "$work/files"
say "installed $(wc -l < "$work/files") paths"

# Everything from PATH, in a home of its own.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
# English messages, whatever this machine's language (German is checked below).
export LANGUAGE=en
mkdir -p "$XDG_CONFIG_HOME/Ostrel Software" "$XDG_DATA_HOME"
[[ $(command -v vignettor) == /usr/bin/vignettor ]] || fail "vignettor from PATH is $(command -v vignettor)"
[[ $(command -v vigshell) == /usr/bin/vigshell ]] || fail "vigshell from PATH is $(command -v vigshell)"
[[ -f /usr/lib/vignettor/libvigshell.so ]] || fail "no /usr/lib/vignettor/libvigshell.so"
for program in /usr/bin/vignettor /usr/bin/vigshell /usr/lib/vignettor/libvigshell.so; do
    if readelf -d "$program" | grep -Eq 'RPATH|RUNPATH'; then fail "$program keeps a library path"; fi
done

# A batch over the samples: 160 x 120 JPEG thumbnails of the whole tree and
# a labelled contact sheet.
cat > "$XDG_CONFIG_HOME/Ostrel Software/vignettor.conf" <<'CONF'
[vignettor]
MainWidth=160
MainHeight=120
MainResizeMethod=1
MainOutputFormat=4
OutputCreateFolder=1
OutputRecurseSrc=1
OutputDuplicateSrcTree=1
OutputFilterGIF=1
CompositeMakeComposite=1
CompositeRows=3
CompositeCols=3
CompositeWriteToRoot=1
CONF
vignettor /h /d "$root/samples" "$work/out" > "$work/run.txt"
grep -q "Processed 11 of 11 files" "$work/run.txt" || fail "the batch said: $(cat "$work/run.txt")"
(cd "$work/out" && find . -type f | sort) > "$work/outputs"
for thumb in aurora checker dunes evening fractal mandelbrot rings sunset tiles garden/dunes garden/flower; do
    grep -qx "./$thumb.jpg" "$work/outputs" || fail "no thumbnail $thumb.jpg among: $(cat "$work/outputs")"
done
python3 - "$work/out" <<'PY' || fail "a thumbnail is not a JPEG of at most 160 x 120"
import pathlib, sys
from PIL import Image
for path in pathlib.Path(sys.argv[1]).rglob("*.jpg"):
    if path.name.startswith("Comp"):
        continue
    with Image.open(path) as im:
        assert im.format == "JPEG" and im.width <= 160 and im.height <= 120, (path, im.size)
PY
ls "$work/out"/Comp*.jpg >/dev/null 2>&1 || fail "no contact sheet"
say "batch from PATH: $(tr -d '\n' < "$work/run.txt"), $(wc -l < "$work/outputs") files"

# The manual pages: found by man and rendered without a warning.
if [[ ! -f /usr/share/man/man1/vignettor.1.gz ]] && grep -rqs '^path-exclude' /etc/dpkg/dpkg.cfg.d/; then
    fail "dpkg left the manual pages out: this machine excludes paths ($(grep -rhs '^path-exclude' /etc/dpkg/dpkg.cfg.d/ | tr '\n' ' '))"
fi
for page in vignettor vigshell; do
    [[ $(man -w "$page") == /usr/share/man/man1/$page.1.gz ]] || fail "man finds $(man -w "$page") for $page"
    MANWIDTH=80 man --warnings -E UTF-8 -l "/usr/share/man/man1/$page.1.gz" > "$work/$page.txt" 2> "$work/$page.err"
    [[ ! -s $work/$page.err ]] || fail "man $page warns: $(cat "$work/$page.err")"
    grep -q "^NAME" "$work/$page.txt" || fail "man $page shows no NAME section"
done
say "man vignettor and man vigshell render"

# The menu entry: valid, its program on PATH, its icon in the theme.
desktop-file-validate /usr/share/applications/vignettor.desktop
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/vignettor.desktop)
command -v "${exec_line%% *}" >/dev/null || fail "the menu entry runs $exec_line, not on PATH"
icon=$(sed -n 's/^Icon=//p' /usr/share/applications/vignettor.desktop)
for size in 16 22 24 32 48 64 128 256; do
    file "/usr/share/icons/hicolor/${size}x$size/apps/$icon.png" | grep -q "PNG image data, $size x $size" ||
        fail "no ${size}x$size icon"
done
[[ -f /usr/share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "no scalable icon"
[[ -f /usr/share/doc/vignettor/help/index.html ]] || fail "no manual"
for doc in copyright changelog.gz README.md; do
    [[ -f /usr/share/doc/vignettor/$doc ]] || fail "no $doc"
done
say "menu entry valid; Exec $exec_line on PATH; icon $icon in 8 sizes and scalable"

# The AppStream metadata software centres read, and the German catalogue:
# the program's messages follow LANGUAGE.
metainfo=/usr/share/metainfo/com.ostrelsoftware.Vignettor.metainfo.xml
[[ -f $metainfo ]] || fail "no $metainfo"
appstreamcli validate --no-net "$metainfo" || fail "$metainfo does not validate"
grep -q '<launchable type="desktop-id">vignettor.desktop</launchable>' "$metainfo" ||
    fail "the metadata does not launch vignettor.desktop"
[[ -f /usr/share/vignettor/translations/vignettor_de.qm ]] || fail "no German catalogue"
LANGUAGE=de vignettor --help > "$work/help-de.txt"
grep -q "Miniaturbilder" "$work/help-de.txt" || fail "vignettor --help with LANGUAGE=de: $(head -n 2 "$work/help-de.txt")"
say "AppStream metadata valid; vignettor speaks German with LANGUAGE=de"

# The file-manager command: registration writes the menu entries, which run
# the installed launcher, and names the installed library; unregistration
# takes them away again.
entries=("$XDG_DATA_HOME/kio/servicemenus/vignettor-snapshrink.desktop"
    "$XDG_DATA_HOME/nautilus/scripts/Snapshrink..."
    "$XDG_DATA_HOME/nemo/actions/vignettor-snapshrink.nemo_action"
    "$XDG_CONFIG_HOME/caja/scripts/Snapshrink..."
    "$XDG_CONFIG_HOME/Thunar/uca.xml")
vigshell --register
for entry in "${entries[@]}"; do
    grep -q "/usr/bin/vigshell" "$entry" || fail "$entry does not run /usr/bin/vigshell"
done
grep -q "/usr/lib/vignettor/libvigshell.so" "$XDG_CONFIG_HOME/Ostrel Software/vigshell-registry.conf" ||
    fail "the registration does not name the installed library"
vigshell --unregister
for entry in "${entries[@]:0:4}"; do
    [[ ! -e $entry ]] || fail "$entry is left after --unregister"
done
if grep -q "vignettor-snapshrink" "${entries[4]}"; then fail "Thunar's action is left"; fi
say "vigshell --register and --unregister in a fresh home"

# Removal leaves nothing of the package: every path it installed is gone,
# or is a folder another package owns.
"${sudo[@]}" dpkg -r vignettor
installed=0
left=()
while IFS= read -r path; do
    [[ $path != /. ]] || continue
    [[ -e $path || -L $path ]] || continue
    if [[ -d $path && ! -L $path ]] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    left+=("$path")
done < "$work/files"
[[ ${#left[@]} -eq 0 ]] || fail "left after dpkg -r: ${left[*]}"
if dpkg-query -W -f='${db:Status-Status}' vignettor 2>/dev/null | grep -qv '^not-installed$'; then
    fail "dpkg still lists vignettor: $(dpkg-query -W -f='${db:Status-Status}' vignettor)"
fi
say "removed; nothing of its $(wc -l < "$work/files") paths is left"
say "all checks passed"
