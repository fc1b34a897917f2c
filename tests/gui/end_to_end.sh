#!/usr/bin/env bash
# The real program in a real X server: type the folders, press Start, and
# check the thumbnails, the status line cleared after the run, the run's
# line left in the error log pane, Enter in the single file's field making
# that file alone, and the settings saved on close.
#   end_to_end.sh PROGRAM        (runs itself under xvfb-run)
set -euo pipefail
program=$(realpath "$1")

for tool in xvfb-run xdotool xclip import compare convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done
if [[ -z "${VIG_IN_XVFB:-}" ]]; then
    VIG_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
# In a sanitizer build, what the desktop's own libraries keep for the life
# of the process (D-Bus) is not ours to report.
printf 'leak:libdbus-1.so\n' > "$work/leaks.supp"
export LSAN_OPTIONS="suppressions=$work/leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$work/in" "$work/out" "$work/config"
for i in 1 2 3; do
    convert -size 400x300 "gradient:#3584e4-#f6d32d" "$work/in/photo$i.png"
done
export XDG_CONFIG_HOME="$work/config" HOME="$work"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

fail() { echo "FAILED: $*"; exit 1; }

"$program" &
pid=$!
window=$(xdotool search --sync --onlyvisible --name "^Vignettor v4.4$" | head -1)
[[ -n "$window" ]] || fail "no main window"
xdotool windowfocus --sync "$window"
sleep 1

# The input folder has the focus; the output folder is two steps on.
xdotool key ctrl+a
xdotool type --delay 5 "$work/in/"
xdotool key Tab Tab ctrl+a
xdotool type --delay 5 "$work/out"
sleep 0.5
import -window "$window" "$work/before.png"
xdotool key Return

for _ in $(seq 100); do
    [[ $(ls "$work/out" | wc -l) -ge 3 ]] && break
    sleep 0.1
done
ls "$work/out"/photo{1,2,3}.jpg >/dev/null || fail "thumbnails missing: $(ls "$work/out")"
sleep 2
import -window "$window" "$work/after.png"

# The status and path lines along the bottom are empty again: the bottom
# strip looks as it did before the run.
height=$(identify -format %h "$work/before.png")
width=$(identify -format %w "$work/before.png")
crop="${width}x40+0+$((height - 40))"
convert "$work/before.png" -crop "$crop" +repage "$work/before-strip.png"
convert "$work/after.png" -crop "$crop" +repage "$work/after-strip.png"
differ=$(compare -metric AE "$work/before-strip.png" "$work/after-strip.png" null: 2>&1 || true)
[[ "$differ" == "0" ]] || fail "status lines not cleared ($differ pixels differ)"

# The run's line stays in the error log pane: open the pane (from the
# output format's list, the single file's check box and then the log button
# are next), go on to the pane (after the four buttons), select all its text
# and copy it.
pane_text() {
    xdotool key alt+f Tab Tab space
    sleep 0.5
    xdotool key Tab Tab Tab Tab Tab ctrl+a ctrl+c
    sleep 0.3
    xclip -selection clipboard -o 2>/dev/null || true
}
text=$(pane_text)
grep -Eq "^[0-9]{2}:[0-9]{2}:[0-9]{2}  Processed 3 of 3 files; errors: 0; time: [0-9]+:[0-9]{2}$" \
    <<<"$text" || fail "no run line in the log pane: $text"

# Enter in the single file's field makes that file, not the whole folder.
convert -size 200x100 xc:"#c01c28" "$work/single.png"
rm -f "$work/out"/*
xdotool key alt+e
sleep 0.2
xdotool key Tab ctrl+a
xdotool type --delay 5 "$work/single.png"
xdotool key Return
for _ in $(seq 50); do
    [[ -e "$work/out/single.jpg" ]] && break
    sleep 0.1
done
sleep 1
[[ "$(ls "$work/out")" == "single.jpg" ]] || fail "Enter in the single file's field made: $(ls "$work/out")"

xdotool key ctrl+q
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the window did not close"
wait "$pid" || fail "exit status $?"

settings="$work/config/Ostrel Software/vignettor.conf"
grep -qx "MainSrcPath=$work/in" "$settings" || fail "input folder not saved: $(grep MainSrcPath "$settings")"
grep -qx "MainDestPath=$work/out" "$settings" || fail "output folder not saved"
grep -q "^MainWidth=100$" "$settings" || fail "sizes not saved"
echo "1 passed, 0 failed"
