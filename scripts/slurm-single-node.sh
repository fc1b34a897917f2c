#!/usr/bin/env bash
# A single-node Slurm cluster in a scratch folder, for trying the batch under
# a real scheduler and for the test that does so. Runs as root, without
# systemd: munged with a key and socket of its own, slurmctld -D and
# slurmd -D with a slurm.conf written to the folder. Everything lives in the
# folder (key, socket, state, spool, logs, process ids); nothing in /etc or
# /run is read or changed.
#
#   scripts/slurm-single-node.sh check        exit 0 when a cluster can be
#                                             started here, 77 (and why) if not
#   scripts/slurm-single-node.sh start DIR    start the daemons in DIR (made
#                                             if missing) and wait until the
#                                             node takes jobs; prints the line
#                                             to export SLURM_CONF
#   scripts/slurm-single-node.sh stop DIR     cancel the jobs, stop the daemons
#                                             by the process ids recorded in
#                                             DIR, SIGKILL after a grace time
#
# VIG_SLURM_PORT picks the controller's port (slurmd takes the next one);
# by default two free ports between 20000 and 29999 are chosen.
# VIG_SLURM_START_TIMEOUT bounds the wait for the node (seconds, 60).
set -euo pipefail

me=slurm-single-node
say() { echo "$me: $*" >&2; }

unavailable() {
    if [[ $(id -u) -ne 0 ]]; then
        echo "not root"
        return
    fi
    local c
    for c in munged munge unmunge slurmctld slurmd sbatch squeue scontrol scancel sinfo hostname; do
        if ! command -v "$c" >/dev/null 2>&1; then
            echo "$c is not installed (Debian packages munge, slurm-wlm)"
            return
        fi
    done
}

# True when something answers on 127.0.0.1:PORT.
port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

choose_ports() {
    if [[ -n "${VIG_SLURM_PORT:-}" ]]; then
        ctld_port=$VIG_SLURM_PORT
        slurmd_port=$((VIG_SLURM_PORT + 1))
        return
    fi
    local tries=0 p
    while ((tries++ < 50)); do
        p=$((20000 + (RANDOM % 5000) * 2))
        if ! port_in_use "$p" && ! port_in_use $((p + 1)); then
            ctld_port=$p
            slurmd_port=$((p + 1))
            return
        fi
    done
    say "no two free ports found"
    exit 1
}

# The process ids this script started, one "name pid" a line.
pids_file() { echo "$1/run/daemons"; }

# Sends SIG to PID when it is still the program NAME (a process id may have
# been reused since) and has not ended (a zombie whose parent has not
# reaped it yet counts as ended).
signal_if_ours() {
    local sig=$1 name=$2 pid=$3 comm stat
    read -r comm <"/proc/$pid/comm" 2>/dev/null || return 1
    [[ "$comm" == "$name"* ]] || return 1
    read -r stat <"/proc/$pid/stat" 2>/dev/null || return 1
    stat=${stat##*) }  # the state follows the parenthesised name
    [[ "${stat:0:1}" != Z ]] || return 1
    kill -s "$sig" "$pid" 2>/dev/null
}

wait_gone() {  # NAME PID SECONDS
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        signal_if_ours 0 "$1" "$2" || return 0
        sleep 0.1
    done
    return 1
}

stop_one() {  # NAME PID
    signal_if_ours TERM "$1" "$2" || return 0
    if ! wait_gone "$1" "$2" 10; then
        say "$1 ($2) did not stop; killing it"
        signal_if_ours KILL "$1" "$2" || true
        wait_gone "$1" "$2" 5 || say "$1 ($2) is still there"
    fi
}

# Job steps (slurmstepd and the job's processes under it) outlive slurmd;
# those of this cluster carry its SLURM_CONF in their environment.
stop_job_steps() {
    local dir=$1 proc pid comm env
    for proc in /proc/[0-9]*; do
        pid=${proc#/proc/}
        read -r comm <"$proc/comm" 2>/dev/null && [[ "$comm" == slurmstepd ]] || continue
        env=$(tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null) || continue
        if grep -qxF "SLURM_CONF=$dir/slurm.conf" <<<"$env"; then
            say "stopping job step $pid"
            stop_one slurmstepd "$pid"
        fi
    done
}

cmd_stop() {
    local dir=$1 name pid
    local file
    file=$(pids_file "$dir")
    [[ -f "$file" ]] || { say "nothing was started in $dir"; return 0; }
    if [[ -f "$dir/slurm.conf" ]] && grep -q '^slurmctld ' "$file"; then
        SLURM_CONF=$dir/slurm.conf timeout 10 scancel --full --quiet --user=root 2>/dev/null || true
        local i
        for ((i = 0; i < 100; i++)); do
            [[ -z "$(SLURM_CONF=$dir/slurm.conf timeout 5 squeue -h -o %i 2>/dev/null)" ]] && break
            sleep 0.1
        done
    fi
    # Reverse order of starting: slurmd, slurmctld, munged.
    for name in slurmd slurmctld munged; do
        while read -r n pid; do
            [[ "$n" == "$name" ]] && stop_one "$name" "$pid"
        done <"$file"
    done
    stop_job_steps "$dir"
    rm -f "$file"
}

write_conf() {
    local dir=$1 host=$2 node
    # The node's shape as slurmd sees it, without the memory (a node whose
    # memory is found below what is configured is drained).
    node=$(slurmd -C 2>/dev/null | head -n 1 | sed -e 's/ RealMemory=[0-9]*//' -e 's/^NodeName=[^ ]* //')
    [[ "$node" == *CPUs=* ]] || node="CPUs=$(nproc)"
    cat >"$dir/slurm.conf" <<EOF
# Written by scripts/slurm-single-node.sh
ClusterName=vig
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/run/munge.sock
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/run/slurmctld.pid
SlurmdPidFile=$dir/run/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerType=sched/builtin
SchedulerParameters=batch_sched_delay=0,sched_min_interval=0
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
SwitchType=switch/none
MailProg=/bin/true
ReturnToService=2
SlurmctldTimeout=30
SlurmdTimeout=30
NodeName=$host NodeAddr=127.0.0.1 $node State=UNKNOWN
PartitionName=main Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
}

start_daemon() {  # NAME LOG COMMAND...
    local name=$1 log=$2
    shift 2
    "$@" </dev/null >"$log" 2>&1 &
    echo "$name $!" >>"$(pids_file "$dir")"
}

cmd_start() {
    dir=$1
    local why
    why=$(unavailable)
    if [[ -n "$why" ]]; then
        say "cannot start: $why"
        exit 77
    fi
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    if [[ -f "$(pids_file "$dir")" ]]; then
        say "$dir already has a cluster; stop it first"
        exit 1
    fi
    if ((${#dir} > 80)) || [[ "$dir" == *[[:space:],=]* ]]; then
        # A socket's path has room for 107 bytes, and slurm.conf takes no
        # quoting.
        say "$dir: the folder's path must be short, without spaces, commas or '='"
        exit 2
    fi
    # munged wants its key private and its socket's folder open to all.
    chmod 755 "$dir"
    mkdir -p "$dir/munge" "$dir/run" "$dir/state" "$dir/spool" "$dir/log"
    chmod 700 "$dir/munge" "$dir/state" "$dir/spool"
    chmod 755 "$dir/run" "$dir/log"
    (umask 077 && head -c 1024 /dev/urandom >"$dir/munge/munge.key")

    local host
    host=$(hostname -s)
    choose_ports
    write_conf "$dir" "$host"
    : >"$(pids_file "$dir")"
    local timeout=${VIG_SLURM_START_TIMEOUT:-60} deadline
    deadline=$((SECONDS + timeout))
    trap 'cmd_stop "$dir"' ERR

    start_daemon munged "$dir/log/munged.log" munged --foreground \
        --key-file="$dir/munge/munge.key" --socket="$dir/run/munge.sock" \
        --pid-file="$dir/munge/munged.pid" --seed-file="$dir/munge/munged.seed" \
        --log-file="$dir/log/munged.file.log"
    until munge -n -S "$dir/run/munge.sock" 2>/dev/null | unmunge -S "$dir/run/munge.sock" >/dev/null 2>&1; do
        if ((SECONDS >= deadline)); then
            say "munged did not answer within ${timeout}s:"
            tail -n 5 "$dir/log/munged.log" >&2 || true
            cmd_stop "$dir"
            exit 1
        fi
        sleep 0.2
    done

    export SLURM_CONF=$dir/slurm.conf
    start_daemon slurmctld "$dir/log/slurmctld.out" slurmctld -D -c -f "$SLURM_CONF"
    start_daemon slurmd "$dir/log/slurmd.out" slurmd -D -f "$SLURM_CONF"
    local state=""
    while :; do
        state=$(timeout 5 sinfo -h -n "$host" -o %t 2>/dev/null || true)
        [[ "$state" == idle* || "$state" == mix* || "$state" == alloc* ]] && break
        if ((SECONDS >= deadline)); then
            say "the node did not come up within ${timeout}s (state '${state:-none}'):"
            tail -n 5 "$dir/log/slurmctld.out" "$dir/log/slurmd.out" >&2 || true
            cmd_stop "$dir"
            exit 1
        fi
        sleep 0.5
    done
    trap - ERR
    say "node $host is up (ports $ctld_port, $slurmd_port)"
    echo "export SLURM_CONF=$SLURM_CONF"
}

case "${1:-}" in
check)
    why=$(unavailable)
    if [[ -n "$why" ]]; then
        echo "$me: $why" >&2
        exit 77
    fi
    ;;
start)
    [[ $# -eq 2 ]] || { say "usage: $0 start DIR"; exit 2; }
    cmd_start "$2"
    ;;
stop)
    [[ $# -eq 2 ]] || { say "usage: $0 stop DIR"; exit 2; }
    cmd_stop "$(cd "$2" && pwd)"
    ;;
*)
    say "usage: $0 check | start DIR | stop DIR"
    exit 2
    ;;
esac
