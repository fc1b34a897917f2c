#!/usr/bin/env bash
# The README's GNU Parallel recipe, run with the real parallel: plan, the
# shards as parallel jobs, merge; the tree must be byte for byte that of a
# one-machine run (the times in the log and PNG files aside), and so must the merge's
# messages and exit status. Once with local job slots, once over an
# --sshlogin list of stand-in hosts (tests/engines/local-ssh.sh: each "host"
# a shell with a bare environment and a home of its own, so the settings
# reach the shards only through --env, as over ssh).
#
#   parallel_test.sh PROGRAM REPO WORK
set -euo pipefail
program=$(realpath "$1") repo=$(realpath "$2") work=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/batch_tree.sh"

if ! command -v parallel >/dev/null 2>&1; then
    echo "SKIPPED: GNU parallel is not installed (scripts/setup.sh --test installs it)"
    exit 77
fi

reference_run

# run_case NAME N PARALLEL-OPTIONS...: the recipe with N shards, each run
# by $shard_program (by default the program itself).
run_case() {
    local name=$1 n=$2 status=0 t0=$SECONDS
    shift 2
    prepare_output "$out"
    export XDG_CONFIG_HOME=$config
    "$program" /h /d "$src" "$out" "${switches[@]}" /plan 2>"$work/$name.plan.stderr" ||
        fail "$name: the plan ended with $?: $(cat "$work/$name.plan.stderr")"
    seq "$n" | parallel -q --halt now,fail=1 "$@" \
        "${shard_program:-$program}" /h /d "$src" "$out" "${switches[@]}" /shard {}/"$n" \
        >"$work/$name.shards.out" 2>&1 ||
        fail "$name: parallel ended with $?: $(cat "$work/$name.shards.out")"
    "$program" /h /d "$src" "$out" "${switches[@]}" /merge 2>"$work/$name.merge.stderr" || status=$?
    unset XDG_CONFIG_HOME
    [[ $status -eq $ref_status ]] ||
        fail "$name: the merge ended with $status, the one-machine run with $ref_status: $(cat "$work/$name.merge.stderr")"
    diff "$work/reference.stderr" "$work/$name.merge.stderr" >&2 ||
        fail "$name: the merge's messages are not those of the one-machine run"
    compare_trees "$work/reference" "$out"
    echo "$name: $n shards, same tree as one run ($((SECONDS - t0)) s)"
}

run_case local 3 -j 3
VIG_HOSTS_DIR="$work/hosts" run_case sshlogin 5 \
    --ssh "$here/local-ssh.sh" --sshlogin 2/alpha,2/beta,1/: --env XDG_CONFIG_HOME
# Every stand-in host must have run shards, or the list was not used.
for host in alpha beta; do
    [[ -d "$work/hosts/$host" ]] || fail "no shard ran on $host"
done

# A host that dies in the middle of a shard: parallel --retries starts the
# shard again (on another host), which redoes its share.
crashing=$work/crashing
cat >"$crashing" <<EOF
#!/bin/bash
case "\$*" in
*" /shard 2/4")
    if mkdir "$work/crashed" 2>/dev/null; then
        "$program" "\$@" &
        sleep 0.05
        kill -KILL \$! 2>/dev/null
        wait
        exit 137
    fi ;;
esac
exec "$program" "\$@"
EOF
chmod +x "$crashing"
rm -rf "$work/crashed"
VIG_HOSTS_DIR="$work/hosts" shard_program=$crashing run_case retried 4 \
    --ssh "$here/local-ssh.sh" --sshlogin 1/alpha,1/beta --env XDG_CONFIG_HOME --retries 2
[[ -d "$work/crashed" ]] || fail "the shard meant to die was never started"
echo "PASSED"
