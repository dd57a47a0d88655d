#!/bin/sh
# Demo test program that takes longer than its definition allows, to show the time limit. It
# leaves a helper behind in a session of its own, which the harness ends with it.
# usage: slow_probe.sh SECONDS LOGFILE
set -eu
seconds=${1:?seconds}
log=${2:?log file}
mkdir -p "$(dirname "$log")"
echo "+TEST+INFO slow probe started" >"$log"
setsid sleep "$seconds" </dev/null >/dev/null 2>&1 &
sleep "$seconds"
echo "+TEST+PASS slow probe finished" >>"$log"
