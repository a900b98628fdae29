#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a test that needs the kernel's bonding and 802.1Q drivers:
#   uml-run.sh SCRATCH COMMAND [ARGUMENT...]
# Where this machine's kernel has both, COMMAND runs here directly (it makes
# its own network namespaces). Otherwise it runs as the only program of a
# user-mode Linux guest, which has both as modules and a network stack of its
# own; the guest sees this machine's files and writes only below SCRATCH (a
# folder named *.scratch, emptied first). Exit status: COMMAND's; 77 when
# neither way is open (ctest reports the test as skipped).
set -u

scratch=$1
shift
case "$scratch" in
  /*.scratch) ;;
  *) echo "uml-run.sh: the scratch folder must be an absolute path ending in .scratch" >&2; exit 2 ;;
esac
rm -rf -- "$scratch"
mkdir -p "$scratch/tmp"
here=$(cd "$(dirname "$0")" && pwd)

# Does this kernel make bonds and VLAN links? Asked in a namespace of our own.
kernel_has_drivers() {
  probe="velnet-uml-probe-$$"
  ip netns add "$probe" 2>/dev/null || return 1
  status=1
  if ip -n "$probe" link add vxprobe0 type bond 2>/dev/null &&
     ip -n "$probe" link add link vxprobe0 name vxprobe0.5 type vlan id 5 2>/dev/null; then
    status=0
  fi
  ip netns delete "$probe"
  return $status
}

if [ -z "${VELNET_FORCE_UML:-}" ] && kernel_has_drivers; then
  echo "uml-run.sh: this kernel has bonding and 802.1Q; running directly"
  TMPDIR="$scratch/tmp" exec "$@"
fi

# AddressSanitizer cannot run in the guest: its shadow memory overlaps the
# guest's own mappings. The plain build runs these tests in the guest.
if [ -n "${VELNET_SANITIZED:-}" ]; then
  echo "SKIPPED: this kernel has no bonding or 802.1Q, and a sanitizer build cannot run in the user-mode Linux guest (the plain build runs this test there)"
  exit 77
fi

uml=$(command -v linux.uml 2>/dev/null || true)
version=$(ls /usr/lib/uml/modules 2>/dev/null | head -n 1)
if [ -z "$uml" ] || [ -z "$version" ]; then
  echo "SKIPPED: this kernel has no bonding or 802.1Q, and user-mode Linux (linux.uml with its modules) is not installed"
  exit 77
fi

# modprobe -d wants ROOT/lib/modules/VERSION.
mkdir -p "$scratch/modroot/lib/modules"
ln -s "/usr/lib/uml/modules/$version" "$scratch/modroot/lib/modules/$version"

# The guest's init starts with an empty environment: give the command ours.
{
  export -p
  printf 'cd %s || exit 125\n' "$(pwd)"
  printf 'export TMPDIR=%s\n' "$scratch/tmp"
  printf 'exec'
  for word in "$@"; do
    printf " '%s'" "$(printf '%s' "$word" | sed "s/'/'\\\\''/g")"
  done
  printf '\n'
} > "$scratch/guest-command"

# Unknown kernel parameters of the form X=Y reach init as its environment.
# The guest goes with this script, also when ctest stops it at its timeout.
TMPDIR="$scratch/tmp" timeout "${VELNET_UML_TIMEOUT:-1700}" "$uml" mem=512M \
  root=/dev/root rootfstype=hostfs rootflags=/ rw init="$here/uml-guest.sh" \
  VELNET_UML_SCRATCH="$scratch" con=null con0=fd:0,fd:1 \
  </dev/null >"$scratch/console.log" 2>&1 &
guest=$!
trap 'kill -TERM $guest 2>/dev/null; wait $guest; exit 1' INT TERM HUP
wait $guest
trap - INT TERM HUP
cat "$scratch/guest.out" 2>/dev/null
if [ ! -s "$scratch/guest.rc" ]; then
  echo "uml-run.sh: the guest ended without a result; its console:" >&2
  tail -n 40 "$scratch/console.log" >&2
  exit 1
fi
exit "$(cat "$scratch/guest.rc")"
