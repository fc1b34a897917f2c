# Shared by the engine tests (sourced): a mixed source tree, the settings of
# its batch, the one-machine reference run and the comparison of two output
# trees byte for byte.
#
# Callers set: program (the vignettor to run), repo (the source tree), work
# (a scratch folder of the test, emptied here).

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# SOURCE: the bundled samples (every input format, a sub-folder), more
# copies under a second sub-folder so that every shard has files, a damaged
# photo (reported, exit status 1) and a name that the output folder already
# holds (so that numbered names are claimed). Folder names have spaces.
make_source() {
    local src=$1 i
    mkdir -p "$src"
    cp -R "$repo/samples/." "$src/"
    mkdir -p "$src/more photos"
    for i in 1 2 3; do
        cp "$repo/samples/aurora.jpg" "$src/more photos/copy $i.jpg"
        cp "$repo/samples/mandelbrot.png" "$src/more photos/copy $i.png"
    done
    printf 'not a photo at all\n' >"$src/more photos/damaged.jpg"
    printf 'notes\n' >"$src/garden/notes.txt"
}

# The settings of the batch, in CONFIG (used as XDG_CONFIG_HOME): thumbnails
# in the input's format, the source tree mirrored, pages with an index and
# source pages, contact sheets per folder and in the root, and a log in OUT.
write_settings() {
    local config=$1 out=$2
    mkdir -p "$config/Ostrel Software"
    cat >"$config/Ostrel Software/vignettor.conf" <<EOF
[vignettor]
MainWidth=96
MainHeight=72
MainResizeMethod=1
MainOutputFormat=1
OutputRenameStyle=3
OutputCreateFolder=1
OutputRecurseSrc=1
OutputDuplicateSrcTree=1
OutputSortFiles=1
OpsThreads=1
HTMLLog=1
HTMLTable=1
HTMLTableCols=3
HTMLMaxImages=4
HTMLWriteTitles=1
HTMLMakeSrcLink=1
HTMLMakeFileLink=1
HTMLMakeIndex=1
CompositeMakeComposite=1
CompositeRows=2
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
}

# The switches every step is given: numbered names (a directory run without a
# naming switch overwrites).
switches=(/nn)

# What OUT holds before a run: a file with a thumbnail's name.
prepare_output() {
    local out=$1
    rm -rf "$out"
    mkdir -p "$out/garden"
    printf 'was here first\n' >"$out/garden/flower.JPG"
}

# The files of a tree, one relative name a line, sorted. Hidden ones count:
# a merge removes the state of the split run (.vignettor) once it is done.
tree_files() {
    (cd "$1" && find . -type f | LC_ALL=C sort)
}

# A file as compared: the batch log with its date line (the one after
# "Vignettor Log") masked, a PNG file with the time it was written (the data
# and CRC of its tIME chunk) zeroed, any other file as it is.
masked() {
    case $1 in
    *.log) sed '/^Vignettor Log$/{n;s/.*/<date>/;}' "$1" ;;
    *.png | *.PNG) python3 -c '
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
at = 8
while at + 12 <= len(data):
    size, kind = struct.unpack(">I4s", data[at:at + 8])
    if kind == b"tIME":
        data[at + 8:at + 12 + size] = bytes(size + 4)
    at += 12 + size
sys.stdout.buffer.write(data)
' "$1" ;;
    *) cat "$1" ;;
    esac
}

# Fails unless trees REF and OUT hold the same files with the same bytes.
compare_trees() {
    local ref=$1 out=$2 f diffs=0
    if ! diff <(tree_files "$ref") <(tree_files "$out") >"$work/names.diff"; then
        cat "$work/names.diff" >&2
        fail "the trees $ref and $out hold different files"
    fi
    [[ -n "$(tree_files "$ref")" ]] || fail "the reference run wrote nothing"
    while IFS= read -r f; do
        cmp -s "$ref/$f" "$out/$f" && continue
        cmp -s <(masked "$ref/$f") <(masked "$out/$f") && continue
        if [[ "$f" == *.log ]]; then
            diff <(masked "$ref/$f") <(masked "$out/$f") >&2 || true
        fi
        echo "differs: $f" >&2
        diffs=$((diffs + 1))
    done < <(tree_files "$ref")
    ((diffs == 0)) || fail "$diffs files differ between $ref and $out"
}

# Sets up $work/src, $work/config and $work/out, makes the one-machine run
# into $work/out and moves its tree to $work/reference (the runs to compare
# write to the same path, which the log and the pages show); ref_status is
# its exit status, ref_stderr its messages.
reference_run() {
    rm -rf "$work"
    mkdir -p "$work"
    src="$work/photo source"
    out="$work/thumbs out"
    config="$work/config"
    make_source "$src"
    write_settings "$config" "$out"
    prepare_output "$out"
    ref_status=0
    XDG_CONFIG_HOME=$config "$program" /h /d "$src" "$out" "${switches[@]}" 2>"$work/reference.stderr" || ref_status=$?
    ref_stderr=$(cat "$work/reference.stderr")
    [[ $ref_status -eq 1 ]] || fail "the one-machine run ended with $ref_status, not 1 (damaged photo): $ref_stderr"
    mv "$out" "$work/reference"
    [[ -f "$work/reference/batch.log" ]] || fail "the one-machine run wrote no log"
    prepare_output "$out"
}
