#!/usr/bin/env bash
# Stands in for ssh to a host of GNU Parallel's --sshlogin list on this
# machine: runs the command as sshd would, through a shell with a bare login
# environment (nothing of the caller's is passed on, as over ssh), in the
# host's own home folder $VIG_HOSTS_DIR/HOST, so that anything a job needs
# from the caller must travel in the command line (parallel --env).
#
#   local-ssh.sh [ssh options] HOST [--] COMMAND...
set -euo pipefail
while [[ $# -gt 0 && "$1" == -* ]]; do
    case $1 in
    -[bcDEeFIiJLlmOoPpQRSWw]) shift 2 ;;  # options that take a value
    *) shift ;;
    esac
done
host=${1:?local-ssh: no host}
shift
[[ "${1:-}" == "--" ]] && shift
home=${VIG_HOSTS_DIR:?local-ssh: VIG_HOSTS_DIR is not set}/$host
mkdir -p "$home"
cd "$home"
exec env -i HOME="$home" PATH="$PATH" LOGNAME=root USER=root SHELL=/bin/bash \
    /bin/bash -c "$*"
