# SPDX-License-Identifier: MIT
# What the shell tests share (sourced, POSIX sh): a scratch folder that goes
# at the end together with every background process the test started,
# failures counted to the end, and SKIPPED (77) where the machine lacks what a
# test needs. The sourcing script names its scratch folder in scratch_name.

SKIP=77
failures=0
work=$(mktemp -d "${TMPDIR:-/tmp}/velnet-${scratch_name}.XXXXXX")
background_pids=""

cleanup() {
	for pid in $background_pids; do
		kill "$pid" 2>/dev/null
	done
	rm -rf "$work"
}
trap cleanup EXIT

fail() {
	echo "FAIL: $*" >&2
	failures=$((failures + 1))
}

finish() {
	if [ "$failures" -ne 0 ]; then
		echo "$failures check(s) failed" >&2
		exit 1
	fi
	echo "all checks passed"
	exit 0
}

skip() {
	echo "SKIP: $*"
	exit "$SKIP"
}

need_tools() {
	for tool in "$@"; do
		command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/deps.sh installs it)"
	done
}

wait_for() { # seconds command...: polls the command until it succeeds
	tries=$(($1 * 5))
	shift
	while [ "$tries" -gt 0 ]; do
		"$@" && return 0
		sleep 0.2
		tries=$((tries - 1))
	done
	return 1
}
