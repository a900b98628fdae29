# SPDX-License-Identifier: MIT
# Shared by the desktop tests (sourced). Arguments of every test: the source
# folder and the build folder. Every test works in a scratch folder of its own.
set -u

SOURCE_DIR=$1
BUILD_DIR=$2

scratch_name=desktop
. "$(dirname "$0")/../support/checks.sh"

need_programs() {
	for program in "$@"; do
		[ -x "$BUILD_DIR/bin/$program" ] || skip "$program is not built"
	done
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

# --- A virtual X display of the test's own ------------------------------------
display=""
start_display() {
	need_tools Xvfb xprop xdotool xwininfo
	# -noreset: a program that starts while the server resets after the
	# previous one left could not connect.
	Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x900x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
	background_pids="$background_pids $!"
	wait_for 20 test -s "$work/display" || skip "Xvfb did not start: $(cat "$work/xvfb.log")"
	display=:$(cat "$work/display")
	export DISPLAY="$display"
}

# A window manager on that display, as a desktop has one: it decorates the
# windows, places them and keeps the active one, and the programs see it.
start_window_manager() {
	need_tools openbox
	# Openbox's own settings, not the machine's or the user's.
	mkdir -p "$work/openbox"
	cat >"$work/openbox/rc.xml" <<-'EOF'
	<?xml version="1.0" encoding="UTF-8"?>
	<openbox_config xmlns="http://openbox.org/3.4/rc">
	  <focus><focusNew>yes</focusNew></focus>
	  <placement><policy>Smart</policy></placement>
	  <theme><name>Clearlooks</name></theme>
	</openbox_config>
	EOF
	openbox --sm-disable --config-file "$work/openbox/rc.xml" >"$work/openbox.log" 2>&1 &
	background_pids="$background_pids $!"
	wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
		skip "openbox did not start: $(cat "$work/openbox.log")"
	# It announces itself before it has taken over the screen.
	sleep 1
}

# The client area of window $1, as the X server has it: "x y width height".
client_area() {
	xwininfo -id "$1" 2>/dev/null | awk -F: '
		/Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
		/^ *Width/ { w = $2 } /^ *Height/ { h = $2 }
		END { printf "%d %d %d %d\n", x, y, w, h }'
}

# start program arguments...: the program on the display as a person starts
# it, with no sanitizer options of the test's: sets pid and log.
start() {
	program=$1
	shift
	log="$work/$program.log"
	env -u LSAN_OPTIONS QT_QPA_PLATFORM=xcb "$BUILD_DIR/bin/$program" "$@" >"$log" 2>&1 &
	pid=$!
	background_pids="$background_pids $pid"
}

# The caption of window $1 as the window manager reads it.
caption_of() {
	xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}

# The visible windows of the running program, one "id<TAB>caption" a line.
windows() {
	for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
		printf '%s\t%s\n' "$id" "$(caption_of "$id")"
	done
}

# The newest visible window captioned exactly $1 that is not among $2...
window_captioned() {
	caption=$1
	shift
	windows | awk -F '\t' -v c="$caption" -v skip=" $* " '$2 == c && index(skip, " " $1 " ") == 0 { id = $1 } END { if (id) print id }'
}

# wait_window caption [ids to skip...]: the window's id, once it shows.
wait_window() {
	tries=150
	while [ "$tries" -gt 0 ]; do
		found=$(window_captioned "$@")
		[ -n "$found" ] && echo "$found" && return 0
		sleep 0.2
		tries=$((tries - 1))
	done
	return 1
}

# Keys to window $1: it gets the input focus first, as a click would give it.
keys() {
	window=$1
	shift
	xdotool windowfocus --sync "$window" 2>/dev/null
	sleep 0.3
	xdotool key --delay 150 "$@"
	sleep 0.5
}

# A dialog as a dialog template: one size only, and neither a minimise nor a
# maximise box among the functions it offers the window manager.
check_dialog_template() {
	id=$1
	what=$2
	hints=$(xprop -id "$id" WM_NORMAL_HINTS _MOTIF_WM_HINTS 2>/dev/null)
	min=$(printf '%s\n' "$hints" | sed -n 's/.*minimum size: \([0-9]* by [0-9]*\).*/\1/p')
	max=$(printf '%s\n' "$hints" | sed -n 's/.*maximum size: \([0-9]* by [0-9]*\).*/\1/p')
	[ -n "$min" ] && [ "$min" = "$max" ] || fail "$what can change its size (minimum '$min', maximum '$max')"
	functions=$(printf '%s\n' "$hints" | sed -n 's/^_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = [^,]*, *\([^,]*\),.*/\1/p')
	[ -n "$functions" ] || fail "$what tells the window manager nothing of its functions"
	# MWM_FUNC_ALL 0x1 would invert the others; minimise 0x8, maximise 0x10.
	[ -z "$functions" ] || [ $((functions & 0x19)) -eq 0 ] ||
		fail "$what offers functions $functions (minimise or maximise among them)"
}

# wait_end seconds: waits for the program to end; sets status.
wait_end() {
	(sleep "$1" && kill "$pid") >/dev/null 2>&1 &
	watchdog=$!
	wait "$pid"
	status=$?
	kill "$watchdog" 2>/dev/null
}

# The program ended of its own accord, with status 0 and no report from the
# sanitizer's leak check.
check_clean_end() {
	wait_end 30
	[ "$status" -eq 0 ] || fail "$program ended with status $status: $(cat "$log")"
	! grep -q 'LeakSanitizer' "$log" || fail "$program's run ends with a leak report: $(cat "$log")"
}
