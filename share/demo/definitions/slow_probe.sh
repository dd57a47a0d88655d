#!/bin/sh
# Demo test program that takes longer than its definition allows, to show the time limit.
# usage: slow_probe.sh SECONDS LOGFILE
set -eu
seconds=${1:?seconds}
log=${2:?log file}
mkdir -p "$(dirname "$log")"
echo "+TEST+INFO slow probe started" >"$log"
sleep "$seconds"
echo "+TEST+PASS slow probe finished" >>"$log"
