#!/usr/bin/env bash
# The batch under a real Slurm: scripts/slurm-single-node.sh starts a
# single-node cluster in a scratch folder, scripts/slurm-submit.sh submits the plan, the
# array of shards and the merge; the tree must be byte for byte that of a
# one-machine run (the times in the log and PNG files aside), and the submission must end
# with the merge's messages and exit status. Then a submission with a shard
# that fails must end in failure naming it, with no merge, and running that
# shard again (--again) must complete the same tree. Skipped (77)
# where Slurm cannot run: not root, munge and slurm-wlm not installed, or
# the daemons do not come up.
# Everything started is stopped by its process id, whatever happens.
#
#   slurm_test.sh PROGRAM REPO WORK
set -euo pipefail
program=$(realpath "$1") repo=$(realpath "$2") work=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/batch_tree.sh"
cluster_script=$repo/scripts/slurm-single-node.sh
submit=$repo/scripts/slurm-submit.sh

if ! why=$("$cluster_script" check 2>&1); then
    echo "SKIPPED: $why"
    exit 77
fi

reference_run
# The cluster's folder holds munged's socket, whose path must stay short.
cluster=$(mktemp -d /tmp/vig-slurm.XXXXXX)
stop_cluster() { "$cluster_script" stop "$cluster" && rm -rf "$cluster"; }
trap stop_cluster EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

t0=$SECONDS
if ! env_line=$("$cluster_script" start "$cluster"); then
    echo "SKIPPED: Slurm is installed but did not start here (its messages are above)"
    exit 77
fi
eval "$env_line"
echo "cluster up in $((SECONDS - t0)) s"

# The whole chain, waited for; the shards are more than the node has cores.
t0=$SECONDS
status=0
XDG_CONFIG_HOME=$config "$submit" --shards 3 --program "$program" --logs "$work/jobs" \
    --wait --timeout 90 "$src" "$out" "${switches[@]}" \
    >"$work/submit.stdout" 2>"$work/submit.stderr" || status=$?
[[ $status -eq $ref_status ]] || {
    tail -n 20 "$work/jobs"/* >&2 || true
    fail "the submission ended with $status, the one-machine run with $ref_status: $(cat "$work/submit.stderr")"
}
diff "$work/reference.stderr" "$work/submit.stderr" >&2 ||
    fail "the submission did not pass on the merge's messages"
compare_trees "$work/reference" "$out"
shard_logs=("$work/jobs"/vig-shard-*_[123].out)
[[ ${#shard_logs[@]} -eq 3 ]] || fail "expected three shard jobs, found: ${shard_logs[*]}"
echo "plan, 3 shards and merge under Slurm: same tree as one run ($((SECONDS - t0)) s)"

# A shard that fails (here the second of two, whose program stands in for
# a crash) leaves the merge unrun, and the submission names that shard.
t0=$SECONDS
prepare_output "$out"
cat >"$work/crashing" <<EOF
#!/bin/sh
case "\$*" in *" /shard 2/2") exit 9 ;; esac
exec "$program" "\$@"
EOF
chmod +x "$work/crashing"
status=0
XDG_CONFIG_HOME=$config "$submit" --shards 2 --program "$work/crashing" --logs "$work/jobs-failing" \
    --wait --timeout 90 "$src" "$out" "${switches[@]}" 2>"$work/failing.stderr" || status=$?
[[ $status -eq 3 ]] || fail "a failed shard gave status $status, not 3: $(cat "$work/failing.stderr")"
grep -q "shard 2 of 2 (job [0-9]*_2): FAILED 9:0" "$work/failing.stderr" ||
    fail "the failed shard is not named: $(cat "$work/failing.stderr")"
! grep -q "shard 1 of 2" "$work/failing.stderr" || fail "a shard that succeeded is named as failed"
[[ -z "$(ls "$work/jobs-failing"/vig-merge-* 2>/dev/null)" ]] || fail "the merge ran after a failed shard"
[[ ! -e "$out/batch.log" ]] || fail "a log was written although a shard failed"
echo "a failed shard stops the chain and is named ($((SECONDS - t0)) s)"

# Running the failed shard again, as the submission advises, and the merge
# complete the batch: the same tree as one run.
grep -q -- "--again 2\$" "$work/failing.stderr" || fail "no advice to run shard 2 again: $(cat "$work/failing.stderr")"
t0=$SECONDS
status=0
XDG_CONFIG_HOME=$config "$submit" --shards 2 --again 2 --program "$program" --logs "$work/jobs-again" \
    --wait --timeout 90 "$src" "$out" "${switches[@]}" >/dev/null 2>"$work/again.stderr" || status=$?
[[ $status -eq $ref_status ]] || fail "the second submission ended with $status: $(cat "$work/again.stderr")"
diff "$work/reference.stderr" "$work/again.stderr" >&2 || fail "the second submission's messages differ"
compare_trees "$work/reference" "$out"
[[ -z "$(ls "$work/jobs-again"/vig-plan-* "$work/jobs-again"/vig-shard-*_1.out 2>/dev/null)" ]] ||
    fail "the second submission ran more than shard 2 and the merge"
echo "shard 2 run again, then the merge: same tree as one run ($((SECONDS - t0)) s)"
echo "PASSED"
