#!/usr/bin/env bash
# Runs a command with a host adapter that the test can send traffic through without anything
# leaving the machine: a veth pair whose far end lives in a network namespace of its own.
# The command finds the near end by its address and the peer address in VANTREL_E2E_PEER;
# VANTREL_E2E_NETNS names the namespace, for a helper that answers from the far end.
set -euo pipefail
# One pair at a time on this machine: every pair uses the same addresses (and the tests inside
# use port 25), so runs from other checkouts wait here for their turn.
exec 9>/tmp/vantrel-e2e-veth.lock
flock 9
# Holding the lock, any pair still here was left by a run that was killed before its clean-up:
# its near end holds the same address and would take the traffic meant for ours.
for old_ns in $(ip netns list 2>/dev/null | awk '$1 ~ /^vantrel-e2e-/ {print $1}'); do
  ip netns del "$old_ns" >/dev/null 2>&1 || true
done
for old_link in $(ip -o addr show to 10.213.77.1/32 2>/dev/null | awk '{sub(/@.*/, "", $2); print $2}'); do
  ip link del "$old_link" >/dev/null 2>&1 || true
done
ns=vantrel-e2e-$$
near=vte$$a
far=vte$$b
cleanup() {
  ip link del "$near" >/dev/null 2>&1 || true
  ip netns del "$ns" >/dev/null 2>&1 || true
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
if ! ip netns add "$ns" || ! ip link add "$near" type veth peer name "$far" || ! ip link set "$far" netns "$ns"; then
  echo "with_veth.sh: cannot create a network namespace and a veth pair (root and iproute2 are needed)" >&2
  exit 1
fi
# No IPv6 on the pair: its address set-up and router solicitations would be traffic of their own.
sysctl -qw "net.ipv6.conf.$near.disable_ipv6=1" >/dev/null 2>&1 || true
ip netns exec "$ns" sysctl -qw "net.ipv6.conf.$far.disable_ipv6=1" >/dev/null 2>&1 || true
ip addr add 10.213.77.1/30 dev "$near"
ip link set "$near" up
ip netns exec "$ns" ip addr add 10.213.77.2/30 dev "$far"
ip netns exec "$ns" ip link set "$far" up
ip netns exec "$ns" ip link set lo up
export VANTREL_E2E_NEAR=10.213.77.1 VANTREL_E2E_PEER=10.213.77.2 VANTREL_E2E_NETNS=$ns
"$@"
