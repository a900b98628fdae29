#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the programs and runs one of them on demo data:
#   bash scripts/run.sh nicsetup    the configuration program on the demo registry
#   bash scripts/run.sh cardcheck   the diagnostics program on the simulated NICs
#   bash scripts/run.sh cardcheck-real
#                                   the diagnostics program on this machine's own
#                                   Ethernet NICs (changes there are real)
#   bash scripts/run.sh regtool     shows the demo registry with the command-line tool
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:-nicsetup}"
libraries=simulated
case "$program" in
  nicsetup|cardcheck|regtool) ;;
  cardcheck-real) program=cardcheck; libraries=real ;;
  *) echo "usage: bash scripts/run.sh nicsetup|cardcheck|cardcheck-real|regtool" >&2; exit 2 ;;
esac
source "$top/scripts/deps.sh"
velnet_install_missing

dir="$top/build/run"
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNET_BENCHMARKS=OFF >/dev/null
# Only what the program needs: cardcheck loads and starts the shipped components.
targets=("$program")
[ "$program" = cardcheck ] && targets+=(velnet_components)
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"

# The demo works on a copy of the demo hive, never on the machine's store.
work="${XDG_STATE_HOME:-$HOME/.local/state}/velnet-demo"
mkdir -p "$work"
if [ ! -f "$work/registry.reg" ]; then
  cp "$top/examples/registry/demo.reg" "$work/registry.reg"
fi
export VELNET_REGISTRY="$work/registry.reg"
export VELNET_NO_RESTART=1
# The build's lib/velnet holds the real NICs' libraries, which the program
# finds beside itself; the simulated ones are chosen by their folder.
if [ "$libraries" = simulated ]; then
  export VELNET_LIBRARY_PATH="$dir/lib/velnet/simulated"
else
  unset VELNET_LIBRARY_PATH
  echo "cardcheck runs on this machine's Ethernet NICs: changes on its Properties page are made at once."
fi
echo "Demo registry: $VELNET_REGISTRY (delete it to start again from examples/registry/demo.reg)"

if [ "$program" = regtool ]; then
  exec "$dir/bin/regtool" query 'HKLM\SYSTEM\CurrentControlSet\Services' /s
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
There is no display to show $program on (neither DISPLAY nor WAYLAND_DISPLAY is set).
Run this command from a desktop session, or through a virtual display:
  xvfb-run -a bash scripts/run.sh ${1:-$program}
MSG
  exit 1
fi
exec "$dir/bin/$program"
