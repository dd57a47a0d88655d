#!/bin/sh
# Demo test program: writes a tagged log that ends in the verdict asked for.
# usage: tagged_probe.sh pass|fail|warn LOGFILE
set -eu
verdict=${1:?verdict}
log=${2:?log file}
mkdir -p "$(dirname "$log")"
{
  echo "[Head ]Halvex demo: tagged probe"
  echo "[Test>]Tagged probe ($verdict)"
  echo "[Case>]Register read-back"
  echo "[     ]Reading 16 registers"
  case $verdict in
  pass) echo "[ Pass]All 16 registers read back as written" ;;
  warn) echo "[ Warn]Register 7 read back after a retry" ;;
  *) echo "[ Fail]Register 7 read back 0x00, expected 0x5A" ;;
  esac
  echo "[<Case]Register read-back"
  echo "[<Test]Tagged probe ($verdict)"
  echo "[Foot ]End of log"
} >"$log"
