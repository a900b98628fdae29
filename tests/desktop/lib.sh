# Shared by the desktop tests (sourced). Arguments of every test: the source
# folder and the build folder. Every test works in a scratch folder of its own.
set -u

SOURCE_DIR=$1
BUILD_DIR=$2

SKIP=77
failures=0
work=$(mktemp -d "${TMPDIR:-/tmp}/velnet-desktop.XXXXXX")
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

need_programs() {
	for program in "$@"; do
		[ -x "$BUILD_DIR/bin/$program" ] || skip "$program is not built"
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

# A private runtime folder and a copy of the demo store for the programs.
mkdir -p "$work/run" "$work/home"
chmod 0700 "$work/run"
cp "$SOURCE_DIR/examples/registry/demo.reg" "$work/registry.reg"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" VELNET_REGISTRY="$work/registry.reg"
unset NICPORT_SCENARIO

# run_with_watchdog seconds log command...: runs the command to its end (or
# kills it after the seconds), its output in the log; sets status.
run_with_watchdog() {
	limit=$1
	log=$2
	shift 2
	"$@" >"$log" 2>&1 &
	run_pid=$!
	(sleep "$limit" && kill "$run_pid") >/dev/null 2>&1 &
	watchdog=$!
	wait "$run_pid"
	status=$?
	kill "$watchdog" 2>/dev/null
}
