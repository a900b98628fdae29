#!/bin/sh
# SPDX-License-Identifier: MIT
# The driver service as installed: its unit passes systemd's own check and
# starts the installed program; its manual page has its sections; and the
# package's postinst, run under a scratch root that holds the installed tree,
# gives every NIC of the machine its instance key in that root's store,
# changes nothing on a second run, and keeps the store folder's mode.
. "$(dirname "$0")/lib.sh"
need_tools systemd-analyze
built vxsrvnt || skip "vxsrvnt is not built"

# --- The unit ---------------------------------------------------------------
mkdir -p "$work/prefix"
prefix=$(readlink -f "$work/prefix")
install_into "$prefix"
unit=$prefix/lib/systemd/system/vxsrvnt.service
[ -f "$unit" ] || fail "the unit is not installed at lib/systemd/system"
[ -x "$prefix/sbin/vxsrvnt" ] || fail "vxsrvnt is not installed in sbin"
[ -f "$prefix/lib/udev/rules.d/70-vxsrvnt.rules" ] || fail "the udev rule is not installed"
grep -qx "ExecStart=$prefix/sbin/vxsrvnt run" "$unit" || fail "the unit does not start the installed vxsrvnt"
for line in Type=notify 'ExecReload=/bin/kill -HUP $MAINPID' Restart=on-failure \
	'CapabilityBoundingSet=CAP_NET_ADMIN CAP_NET_RAW' ProtectSystem=strict \
	ReadWritePaths=/var/lib/velnet; do
	grep -qxF "$line" "$unit" || fail "the unit lacks $line"
done
# systemd's check, including that the manual page it names is installed.
if ! MANPATH=$prefix/share/man systemd-analyze verify "$unit" >"$work/verify.log" 2>&1; then
	fail "systemd-analyze verify: $(cat "$work/verify.log")"
fi

# --- The manual page --------------------------------------------------------
page=$prefix/share/man/man8/vxsrvnt.8.gz
[ -f "$page" ] || fail "vxsrvnt(8) is not installed"
if command -v mandoc >/dev/null 2>&1; then
	report=$(mandoc -T lint -W warning "$page" 2>&1) || fail "mandoc -T lint on vxsrvnt(8): $report"
	text=$(mandoc -T ascii "$page" | sed 's/.\x08//g')
	for section in NAME SYNOPSIS DESCRIPTION COMMANDS 'THE STORE' 'EXIT STATUS' ENVIRONMENT FILES; do
		printf '%s\n' "$text" | grep -qx "$section" || fail "vxsrvnt(8) has no $section section"
	done
	zcat "$page" | grep -q '^\.so ' && fail "vxsrvnt(8) still includes a file with .so"
fi

# --- install through the package's postinst ---------------------------------
root=$work/machine
install_into /usr "$root"
store=$root/var/lib/velnet/registry.reg
DPKG_ROOT=$root sh "$SOURCE_DIR/packaging/debian/postinst" configure || fail "postinst configure failed"
regtool() {
	env VELNET_REGISTRY="$store" "$root/usr/bin/regtool" "$@"
}
# Every NIC that discovery finds (Ethernet, with a bus device) has its own
# instance key.
nics=0
for link in /sys/class/net/*; do
	[ -e "$link/device" ] && [ "$(cat "$link/type")" = 1 ] && nics=$((nics + 1))
done
regtool export 'HKLM\SYSTEM\CurrentControlSet\Services' "$work/services.reg" /y >/dev/null ||
	fail "the store after install cannot be exported"
keys=$(grep -c '^"ADAPTERNUMBER"=' "$work/services.reg")
[ "$keys" -eq "$nics" ] || fail "install made $keys instance keys for $nics NICs"
"$root/usr/sbin/vxsrvnt" --store "$store" status --json >"$work/status.json" 2>"$work/status.err"
[ $? -le 1 ] || fail "status on the installed store failed: $(cat "$work/status.err")"
grep -q '"store"' "$work/status.json" || fail "status --json printed no report"
before=$(cat "$store")
chmod 0750 "$root/var/lib/velnet"
DPKG_ROOT=$root sh "$SOURCE_DIR/packaging/debian/postinst" configure || fail "postinst configure failed again"
[ "$(cat "$store")" = "$before" ] || fail "a second configure changed the store"
[ "$(stat -c %a "$root/var/lib/velnet")" = 750 ] || fail "configure reset the store folder's mode"

finish
