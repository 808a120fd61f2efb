#!/bin/bash
# Inventory benchmark: 1,000 queue PPDs in a CUPS tree and a package directory of 813 gzip PPDs
# (every model-table row in PS, PCL and PXL), then one timed inventory with both reports.
#   bench/inventory_bench.sh [BUILD_DIR]      (default build/release)
# Prints the wall time and the number of package files opened; each may be opened once at most.
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(cd "${1:-$source_dir/build/release}" && pwd)
for tool in model_rows ppdgen inventory_bench; do
  [[ -x $build_dir/$tool ]] || { echo "inventory_bench: $build_dir/$tool is not built" >&2; exit 1; }
done

work=$(mktemp -d /tmp/inventory_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
cups_ppd=$work/cups/etc/cups/ppd
package=$work/package/ppd
mkdir -p "$cups_ppd" "$package"

mapfile -t rows < <("$build_dir/model_rows")
pdls=(ps pcl pxl)

# The package: one PPD per row and language, marker 3.0, gzip-compressed.
for row in "${rows[@]}"; do
  IFS=$'\t' read -r number _ name <<<"$row"
  for pdl in "${pdls[@]}"; do
    printf '%s\t%s\t3.0\t%s/m%03d_%s.ppd.gz\n' "$name" "$pdl" "$package" "$number" "$pdl"
  done
done | "$build_dir/ppdgen" --batch

# The queues: models and languages in turn; every tenth queue already on a newer PPD.
for ((queue = 1; queue <= 1000; queue++)); do
  IFS=$'\t' read -r _ _ name <<<"${rows[(queue - 1) % ${#rows[@]}]}"
  version=1.5
  ((queue % 10 == 0)) && version=3.0
  printf '%s\t%s\t%s\t%s/queue%04d.ppd\n' "$name" "${pdls[queue % 3]}" "$version" "$cups_ppd" "$queue"
done | "$build_dir/ppdgen" --batch

"$build_dir/inventory_bench" "$work/cups" "$package" "$work/log"
echo "new PPDs found: $(grep -c '^PPD = ' "$work/log"), not found: $(grep -c '^PPD NOT FOUND!' "$work/log" || true)"
