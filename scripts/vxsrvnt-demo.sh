#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The driver service at work on two veth NICs joined to a bridge, in a network
# namespace of its own (inside a user-mode Linux guest where this machine's
# kernel has no bonding or 802.1Q): install, a failover pair, a VLAN with its
# own address on the pair, apply again (nothing to do), status. It uses a
# scratch store and never touches the machine's interfaces or store.
#   bash scripts/vxsrvnt-demo.sh
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

if [ "${1:-}" = --inside ]; then
  # In the guest (or directly, in a namespace made here): $2 the program, $3 the scratch folder.
  vxsrvnt=$2 scratch=$3
  if [ -z "${VELNET_DEMO_NETNS:-}" ]; then
    exec env VELNET_DEMO_NETNS=1 unshare --net --mount "$0" "$@"
  fi
  mount --make-rprivate /
  mount -t sysfs sysfs /sys
  ip link add br0 type bridge
  ip link set br0 up
  for n in 1 2; do
    ip link add "eth$n" type veth peer name "peer$n"
    ip link set "peer$n" master br0
    ip link set "peer$n" up
  done
  export VELNET_NICS=eth1,eth2 VELNET_RUNTIME_DIR="$scratch/run" VELNET_REGISTRY="$scratch/registry.reg"
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\vxsrvnt]\n\n' >"$VELNET_REGISTRY"
  run() {
    echo "\$ vxsrvnt $*"
    "$vxsrvnt" "$@" || echo "(exit status $?)"
  }
  {
    run install
    run pair eth1 eth2 --preferred-nic on
    run vlan add eth1 10 sales --address 02:00:00:00:10:01
    run apply
    run status
    echo "\$ ip -br link"
    ip -br link | grep -v '^peer'
  } >"$scratch/demo.txt" 2>&1
  exit 0
fi

source "$top/scripts/deps.sh"
velnet_install_missing
dir="$top/build/run"
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNET_BENCHMARKS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target vxsrvnt
scratch="$(mktemp -d "${TMPDIR:-/tmp}/vxsrvnt-demo.XXXXXX").scratch"
trap 'rm -rf "$scratch" "${scratch%.scratch}"' EXIT
sh "$top/tests/support/uml/uml-run.sh" "$scratch" \
  bash "$top/scripts/vxsrvnt-demo.sh" --inside "$dir/bin/vxsrvnt" "$scratch" >"${scratch%.scratch}/guest.log" 2>&1 ||
  { cat "${scratch%.scratch}/guest.log" >&2; exit 1; }
cat "$scratch/demo.txt"
