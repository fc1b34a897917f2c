#!/usr/bin/env bash
# Submits a folder batch to Slurm as three jobs: the plan, an array of N
# shards (shard K is array task K) and the merge, each starting only when the
# one before succeeded. SOURCE and OUTPUT must be on storage every node sees,
# under the same paths; the settings are the submitting user's (the jobs get
# the environment of the submission, XDG_CONFIG_HOME included).
#
#   scripts/slurm-submit.sh [options] SOURCE OUTPUT [switches...]
#
#   -n, --shards N     number of shards (array tasks 1..N), default 4
#   --program PATH     the vignettor each job runs, default `vignettor` on PATH
#                      of the node (a relative path is made absolute here)
#   --logs DIR         where the jobs' output goes, default the current folder
#                      (vig-plan-JOB.out, vig-shard-JOB_K.out, vig-merge-JOB.out
#                      and .err); never OUTPUT, which holds the batch's files
#   --wait             wait for the merge, print its output and end with its
#                      exit status (the one a one-machine run would have); 3
#                      when it never ran (a step failed or was cancelled: the
#                      failed steps are named), 124 on --timeout
#   --timeout SECS     with --wait: cancel the jobs after SECS
#   --sbatch-args "A"  more sbatch options for all three jobs (word-split),
#                      e.g. "--partition=photos --time=2:00:00"
#   --again K,L-M      run only these shards again, then the merge, without a
#                      new plan: after a submission that named failed shards
#                      (same N, folders and switches; the others' records stay)
#
# The switches after OUTPUT go to all three steps, so that they run with the
# same settings. Without --wait, the script prints the three job ids.
#
# Run under Slurm, the script itself is the jobs' batch script: its first
# argument is then --step.
set -euo pipefail
me=slurm-submit

if [[ "${1:-}" == "--step" ]]; then
    # --step plan|merge PROGRAM N SOURCE OUTPUT [switches...]
    # --step shard      PROGRAM N SOURCE OUTPUT [switches...]
    step=$2 program=$3 shards=$4 src=$5 out=$6
    shift 6
    case $step in
    plan) exec "$program" /h /d "$src" "$out" "$@" /plan ;;
    merge) exec "$program" /h /d "$src" "$out" "$@" /merge ;;
    shard)
        k=${SLURM_ARRAY_TASK_ID:?the shard step runs as an array task}
        exec "$program" /h /d "$src" "$out" "$@" /shard "$k/$shards"
        ;;
    esac
    echo "$me: unknown step $step" >&2
    exit 2
fi

usage() {  # [STATUS]: the help on stdout for 0, on stderr otherwise
    local status=${1:-2}
    if [[ $status -eq 0 ]]; then
        sed -n '/^#   scripts/,/^# same settings/p' "$0" | sed 's/^# \{0,1\}//'
    else
        sed -n '/^#   scripts/,/^# same settings/p' "$0" | sed 's/^# \{0,1\}//' >&2
    fi
    exit "$status"
}

shards=4 program=vignettor logs=. wait=0 timeout=0 extra=() again=""
while [[ $# -gt 0 ]]; do
    case $1 in
    -n | --shards) shards=${2:?}; shift 2 ;;
    --program) program=${2:?}; shift 2 ;;
    --logs) logs=${2:?}; shift 2 ;;
    --wait) wait=1; shift ;;
    --timeout) timeout=${2:?}; shift 2 ;;
    --sbatch-args) read -r -a extra <<<"${2:?}"; shift 2 ;;
    --again) again=${2:?}; shift 2 ;;
    -h | --help) usage 0 ;;
    --) shift; break ;;
    -*) echo "$me: unknown option $1" >&2; usage ;;
    *) break ;;
    esac
done
[[ $# -ge 2 ]] || usage
if ! [[ "$shards" =~ ^[1-9][0-9]*$ ]]; then
    echo "$me: the number of shards must be a whole number from 1" >&2
    exit 2
fi
if [[ -n "$again" ]] && ! [[ "$again" =~ ^[0-9]+(-[0-9]+)?(,[0-9]+(-[0-9]+)?)*$ ]]; then
    echo "$me: --again takes shard numbers, as 2,5-7" >&2
    exit 2
fi
if ! [[ "$timeout" =~ ^[0-9]+$ ]]; then
    echo "$me: --timeout takes seconds" >&2
    exit 2
fi
src=$1 out=$2
shift 2
if [[ "$program" == */* && "$program" != /* ]]; then
    program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
fi
mkdir -p "$logs"
logs=$(cd "$logs" && pwd)
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

# Submits one job and prints its id; when sbatch refuses it, cancels the
# jobs submitted before it, which could never run to the end.
submitted=()
submit() {  # sbatch options and the batch script with its arguments
    local id
    if ! id=$(sbatch --parsable "${extra[@]}" "$@"); then
        echo "$me: sbatch refused the job${submitted[*]:+; cancelling jobs ${submitted[*]}}" >&2
        [[ ${#submitted[@]} -eq 0 ]] || scancel "${submitted[@]}" 2>/dev/null || true
        exit 1
    fi
    id=${id%%;*}  # "id;cluster" on multi-cluster set-ups
    submitted+=("$id")
    job=$id
}

step_args=("$program" "$shards" "$src" "$out" "$@")
if [[ -z "$again" ]]; then
    submit --job-name=vig-plan --output="$logs/vig-plan-%j.out" \
        "$self" --step plan "${step_args[@]}"
    plan=$job
    submit --job-name=vig-shard --array="1-$shards" \
        --dependency="afterok:$plan" --kill-on-invalid-dep=yes \
        --output="$logs/vig-shard-%A_%a.out" \
        "$self" --step shard "${step_args[@]}"
else
    plan=""  # the plan of the first submission stands
    submit --job-name=vig-shard --array="$again" \
        --output="$logs/vig-shard-%A_%a.out" \
        "$self" --step shard "${step_args[@]}"
fi
shard=$job
submit --job-name=vig-merge --dependency="afterok:$shard" --kill-on-invalid-dep=yes \
    --output="$logs/vig-merge-%j.out" --error="$logs/vig-merge-%j.err" \
    "$self" --step merge "${step_args[@]}"
merge=$job

if [[ $wait -eq 0 ]]; then
    echo "${plan:+plan $plan }shards $shard merge $merge"
    exit 0
fi

# One job's "TASK STATE EXITCODE" lines (an array job gives one per task,
# TASK is - for a job that is no array), nothing once Slurm forgot the job.
job_states() {
    scontrol show job -o "$1" 2>/dev/null | awk '{
        t = "-"; s = ""; c = ""
        for (i = 1; i <= NF; i++) {
            n = index($i, "="); k = substr($i, 1, n - 1); v = substr($i, n + 1)
            if (k == "ArrayTaskId") t = v; else if (k == "JobState") s = v; else if (k == "ExitCode") c = v
        }
        if (s != "") print t, s, c
    }'
}

terminal() {
    case $1 in
    COMPLETED | FAILED | CANCELLED | TIMEOUT | NODE_FAIL | OUT_OF_MEMORY | PREEMPTED | DEADLINE | BOOT_FAIL) return 0 ;;
    esac
    return 1
}

start=$SECONDS
unknown=0
while :; do
    state="" code=""
    read -r _ state code < <(job_states "$merge") || true
    if [[ -z "$state" ]]; then
        # scontrol can fail for a moment while the controller is busy.
        if ((++unknown >= 10)); then
            echo "$me: Slurm does not know the merge job $merge" >&2
            exit 3
        fi
    else
        unknown=0
        terminal "$state" && break
    fi
    if ((timeout > 0 && SECONDS - start >= timeout)); then
        echo "$me: no result after ${timeout}s; cancelling jobs $plan $shard $merge" >&2
        scancel $plan "$shard" "$merge" 2>/dev/null || true
        exit 124
    fi
    sleep 1
done

if [[ "$state" == CANCELLED && ! -e "$logs/vig-merge-$merge.out" ]]; then
    echo "$me: the merge did not run" >&2
    pstate=COMPLETED
    [[ -z "$plan" ]] || read -r _ pstate pcode < <(job_states "$plan") || true
    if [[ "${pstate:-}" != COMPLETED ]]; then
        echo "$me: plan (job $plan): ${pstate:-unknown} ${pcode:-}, see $logs/vig-plan-$plan.out" >&2
    else
        failed=()
        while read -r task tstate tcode; do
            [[ "$tstate" == COMPLETED ]] && continue
            if [[ "$task" =~ ^[0-9]+$ ]]; then
                echo "$me: shard $task of $shards (job ${shard}_$task): $tstate $tcode, see $logs/vig-shard-${shard}_$task.out" >&2
            else
                echo "$me: shards $task of $shards (job ${shard}_[$task]): $tstate" >&2
            fi
            failed+=("$task")
        done < <(job_states "$shard")
        if [[ ${#failed[@]} -gt 0 ]]; then
            list=$(IFS=,; echo "${failed[*]}")
            echo "$me: to run them again and merge: the same command with --again $list" >&2
        fi
    fi
    exit 3
fi
cat "$logs/vig-merge-$merge.out" 2>/dev/null || true
cat "$logs/vig-merge-$merge.err" >&2 2>/dev/null || true
status=${code%%:*} signal=${code##*:}
if [[ "$signal" != 0 ]]; then
    echo "$me: the merge (job $merge) ended by signal $signal ($state)" >&2
    exit $((128 + signal))
fi
exit "$status"
