#!/usr/bin/env bash
# Times ./zot test as CI runs it: a clean clone of this checkout's HEAD, a
# cold build (an empty ccache), by default on two cores. ./zot test itself prints
# the time of each stage and the total; this keeps that table.
#
#   bench/ci_time.sh [--all-cores] [REV]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cores="0,1"
if [ "${1:-}" = "--all-cores" ]; then
  cores="0-$(($(nproc) - 1))"
  shift
fi
rev=${1:-HEAD}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git -C "$top" worktree add -q --detach "$work/clone" "$rev"
trap 'git -C "$top" worktree remove --force "$work/clone"; rm -rf "$work"' EXIT
echo "ci_time: ./zot test of $(git -C "$work/clone" rev-parse --short HEAD) on cores $cores, cold build"
start=$SECONDS
(cd "$work/clone" && CCACHE_DIR="$work/ccache" taskset -c "$cores" ./zot test) >"$work/log" 2>&1 || {
  tail -50 "$work/log"
  echo "ci_time: ./zot test failed after $((SECONDS - start)) s"
  exit 1
}
sed -n '/^zot: stages$/,$p' "$work/log"
echo "ci_time: wall $((SECONDS - start)) s"
