#!/bin/bash
# The floor of the refresh: for each "<queue PPD> TAB <package PPD>" line on standard input, only what
# refreshing that queue cannot avoid, as plain commands: read the old PPD, save it with cp, decompress a
# copy of the package PPD with gzip -d, write the new PPD, install it over the queue's PPD with cp.
#
#   bench/refresh_floor.sh WORK_DIR < pairs
set -euo pipefail
work=$1
mkdir -p "$work"
while IFS=$'\t' read -r queue_ppd package_ppd; do
  backup=${queue_ppd%/ppd/*}/${queue_ppd##*/}.floor
  cat "$queue_ppd" >/dev/null
  cp -f "$queue_ppd" "$backup"
  cp -f "$package_ppd" "$work/new.ppd.gz"
  gzip -df "$work/new.ppd.gz"
  cat "$work/new.ppd" >"$work/out.ppd"
  cp -f "$work/out.ppd" "$queue_ppd"
done
