#!/bin/sh
# Demo test program: writes an untagged log judged by its +TEST+ markers.
# usage: plain_probe.sh pass|warn|fail LOGFILE
set -eu
verdict=${1:?verdict}
log=${2:?log file}
mkdir -p "$(dirname "$log")"
{
  echo "Halvex demo: plain probe"
  echo "Checking the serial loop-back"
  case $verdict in
  pass) echo "+TEST+PASS loop-back returned every byte" ;;
  warn) echo "+TEST+WARN loop-back needed two attempts" ;;
  *) echo "+TEST+SEV1 loop-back lost 3 bytes" ;;
  esac
} >"$log"
