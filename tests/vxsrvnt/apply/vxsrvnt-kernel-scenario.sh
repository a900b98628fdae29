#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The vxsrvnt program as an administrator uses it, against the kernel's own
# bonding and 802.1Q drivers: two veth NICs in the service's namespace joined
# to a bridge in a peer's namespace. Run by uml-run.sh (in the user-mode Linux
# guest where this kernel lacks the drivers):
#   vxsrvnt-kernel-scenario.sh VXSRVNT
# What the kernel holds is read with `ip -d -j`; every store and runtime file
# is in $VELNET_TEST_SCRATCH.
set -u
vx=$1
scratch=${VELNET_TEST_SCRATCH:?}
svc=vxsc-$$-svc
peer=vxsc-$$-peer
store=$scratch/registry.reg
failures=0

check() {
  local what=$1
  shift
  if "$@"; then echo "ok - $what"; else echo "FAIL - $what"; failures=$((failures + 1)); fi
}
cleanup() {
  [ -n "${service:-}" ] && kill -9 "$service" 2>/dev/null
  ip netns delete "$svc" 2>/dev/null
  ip netns delete "$peer" 2>/dev/null
}
trap cleanup EXIT

in_svc() { ip netns exec "$svc" "$@"; }
vxs() { in_svc "$vx" --store "$store" "$@"; }
field() { ip -n "$svc" -d -j link show dev "$1" 2>/dev/null | jq -r ".[0].$2 // empty"; }
active() { field vxbond1 linkinfo.info_data.active_slave; }
ifindexes() { ip -n "$svc" -j link show | jq -c '[.[] | {ifname, ifindex}]'; }
no_bond() { [ -z "$(field vxbond1 ifname)" ]; }
standalone() {
  no_bond && for nic in eth1 eth2; do
    [ -z "$(field $nic master)" ] && ip -n "$svc" -j link show dev $nic | jq -e '.[0].flags | index("UP")' >/dev/null || return 1
  done
}
whole_bond() {
  [ "$(field vxbond1 ifalias)" = "vxsrvnt:bond 1+2" ] && [ "$(field eth1 master)" = vxbond1 ] &&
    [ "$(field eth2 master)" = vxbond1 ]
}
half_made() { [ -n "$(field vxbond1 ifname)" ] && ! whole_bond; }

# --- the network ---
ip netns add "$svc" && ip netns add "$peer" || exit 1
ip -n "$peer" link add br0 type bridge
for n in 1 2; do
  ip link add eth$n netns "$svc" type veth peer name far$n netns "$peer"
  ip -n "$peer" link set far$n master br0 up
  ip -n "$svc" link set eth$n up
done
ip -n "$peer" address add 10.78.0.2/24 dev br0
ip -n "$peer" link add link br0 name br0.10 type vlan id 10
ip -n "$peer" address add 10.78.10.2/24 dev br0.10
ip -n "$peer" link set br0 up
ip -n "$peer" link set br0.10 up
ip -n "$svc" link set lo up
export VELNET_NICS=eth1,eth2 VELNET_RUNTIME_DIR=$scratch/run
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\vxsrvnt]\n\n' >"$store"
mac1=$(field eth1 address)
mac2=$(field eth2 address)

# --- install and pair ---
out=$(vxs install 2>&1)
check "install finds both NICs" grep -q "adapter 2: eth2" <<<"$out"
grep -q "adapter 1: eth1" <<<"$out" || echo "$out"
vxs pair eth1 eth2 --preferred-nic on --failure-count 2
check "pair makes an active-backup bond" test "$(field vxbond1 linkinfo.info_data.mode)" = active-backup
check "the primary is the active member" test "$(active)" = eth1
check "downdelay is FailureCount x miimon" test "$(field vxbond1 linkinfo.info_data.downdelay)" = 200
check "status says the kernel matches" vxs status --json
in_svc ip address add 10.78.0.1/24 dev vxbond1
check "traffic over the bond reaches the peer" in_svc ping -c 1 -W 2 -q 10.78.0.2

# --- a VLAN on the bond ---
vxs vlan add eth1 10 sales --address 02:00:00:00:10:01
check "the VLAN link is on the bond" test "$(field sales link)" = vxbond1
check "the VLAN link has its Network_Address" test "$(field sales address)" = 02:00:00:00:10:01
in_svc ip address add 10.78.10.1/24 dev sales
check "the VLAN pings the peer's VLAN of the same id" in_svc ping -c 1 -W 2 -q 10.78.10.2
check "its address is the MAC on the wire" test \
  "$(ip -n "$peer" -j neigh show 10.78.10.1 dev br0.10 | jq -r '.[0].lladdr')" = 02:00:00:00:10:01

# --- apply twice ---
before=$(ifindexes)
# Simple commands, not functions, in the background: $! is then the program itself.
ip netns exec "$svc" ip monitor link >"$scratch/monitor.txt" 2>&1 &
monitor=$!
sleep 1
out=$(vxs apply 2>&1)
sleep 1
kill "$monitor"
check "a second apply has nothing to do" grep -q "already matches" <<<"$out"
check "a second apply keeps every ifindex" test "$(ifindexes)" = "$before"
check "a second apply makes no link events" test ! -s "$scratch/monitor.txt"

# --- the service's diagnostic packets: a member that keeps its link and stops receiving ---
wait_for() { for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done; return 1; }
active_is() { [ "$(active)" = "$1" ]; }
ip netns exec "$svc" "$vx" --store "$store" run >"$scratch/probes.txt" 2>&1 &
service=$!
sleep 3
check "status says each member hears its partner's packets" \
  grep -q "diagnostic packets from adapter 2: heard" <<<"$(vxs status 2>&1)"
ip -n "$peer" link set dev far1 type bridge_slave mcast_flood off
deaf_at=$(date +%s.%N)
check "the active member that hears nothing hands the traffic over" wait_for active_is eth2
awk -v from="$deaf_at" -v to="$(date +%s.%N)" \
  'BEGIN { printf "# handed over %.1f s after eth1 stopped receiving (FailureCount 2, a packet a second)\n", to - from }'
check "the service says why" grep -qF \
  "eth1 (adapter 1): hears none of the last 2 diagnostic packets from eth2: traffic handed over to eth2" \
  "$scratch/probes.txt"
check "traffic still reaches the peer" in_svc ping -c 1 -W 2 -q 10.78.0.2
ip -n "$peer" link set dev far1 type bridge_slave mcast_flood on
check "the primary that hears again gets the traffic back" wait_for active_is eth1
kill -TERM "$service"
wait "$service"
service=

# --- a store the service cannot parse ---
cp "$store" "$scratch/good.reg"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM]\nno value here\n' >"$store"
ip netns exec "$svc" "$vx" --store "$store" run >"$scratch/run.txt" 2>&1 &
service=$!
sleep 3
check "the service keeps running on a store it cannot parse" kill -0 "$service"
check "it says where" grep -q "$store:4:" "$scratch/run.txt"
check "it changes nothing in the kernel" test "$(ifindexes)" = "$before"
check "the bond is untouched" whole_bond
kill -TERM "$service"
wait "$service"
service=
cp "$scratch/good.reg" "$store"

# --- unpair ---
vxs unpair eth1
check "unpair removes the bond, and both NICs are up on their own" standalone
check "both NICs have their own MAC again" test "$(field eth1 address) $(field eth2 address)" = "$mac1 $mac2"

# --- a NIC with an address ---
in_svc ip address add 192.0.2.7/24 dev eth2
out=$(vxs pair eth1 eth2 --preferred-nic on --failure-count 2 2>&1)
check "a NIC with an address is refused with the reason" grep -qF \
  "vxsrvnt: not done: adapters 1 (eth1) and 2 (eth2): not paired: eth2 holds the address 192.0.2.7/24; pass --force to enslave it anyway" <<<"$out"
check "nothing is enslaved after the refusal" standalone
in_svc ip address delete 192.0.2.7/24 dev eth2

# --- killed mid-apply, then started ---
seen_half=0
journal=$VELNET_RUNTIME_DIR/apply.journal
for delay in 0 0.02; do
  ip netns exec "$svc" "$vx" --store "$store" apply >/dev/null 2>&1 &
  applying=$!
  # Killed once the apply has begun to change the kernel.
  for _ in $(seq 400); do [ -e "$journal" ] && break; sleep 0.005; done
  sleep $delay
  kill -9 $applying 2>/dev/null
  wait $applying 2>/dev/null
  half_made && seen_half=$((seen_half + 1))
  ip netns exec "$svc" "$vx" --store "$store" run >"$scratch/run.txt" 2>&1 &
  service=$!
  for _ in $(seq 50); do whole_bond && break; sleep 0.2; done
  check "after a kill ${delay}s into changing the kernel the next start makes the bond whole" whole_bond
  kill -TERM "$service"
  wait "$service"
  service=
  # Back to no bond for the next round, by hand as an administrator would.
  ip -n "$svc" link delete vxbond1
  ip -n "$svc" link set eth1 up
  ip -n "$svc" link set eth2 up
done
echo "# $seen_half of 2 kills left a half-made bond for the next start to undo"

echo "# $failures failed"
[ "$failures" -eq 0 ]
