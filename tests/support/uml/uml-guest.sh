#!/bin/sh
# SPDX-License-Identifier: MIT
# The user-mode Linux guest's init (started by uml-run.sh): mounts what the
# tests need, loads bonding, 802.1Q, veth and bridge, runs the command
# written to $VELNET_UML_SCRATCH/guest-command and powers the guest off.
# Everything it writes on the machine's files is below $VELNET_UML_SCRATCH;
# /run and /tmp are the guest's own memory. init must never return.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
scratch=$VELNET_UML_SCRATCH

mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t tmpfs tmpfs /run
# /tmp of the guest's own, unless the scratch folder is under it (then
# TMPDIR, which points into the scratch folder, keeps temporary files there).
case "$scratch" in
  /tmp/*) ;;
  *) mount -t tmpfs tmpfs /tmp ;;
esac
mount -t devtmpfs devtmpfs /dev 2>/dev/null
ip link set lo up
if modprobe -d "$scratch/modroot" -a bonding 8021q veth bridge >"$scratch/guest.out" 2>&1; then
  sh "$scratch/guest-command" >>"$scratch/guest.out" 2>&1
  echo $? >"$scratch/guest.rc"
else
  echo "uml-guest.sh: the guest could not load its modules" >>"$scratch/guest.out"
  echo 1 >"$scratch/guest.rc"
fi
sync
echo o >/proc/sysrq-trigger
while :; do sleep 60; done
