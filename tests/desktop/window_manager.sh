#!/bin/sh
# SPDX-License-Identifier: MIT
# Both programs under a window manager, where only a real X server and a
# real window manager show what a person sees: nicsetup's editors open
# centred on the main window, at the same place every time; a second
# cardcheck on the same display, started with another runtime folder (as
# through pkexec or su), brings the running one's window to the front and
# ends.
. "$(dirname "$0")/lib.sh"
need_programs nicsetup cardcheck
start_display
start_window_manager

# --- nicsetup: where the editors open ------------------------------------------
acd='Autocure Driver (ACD) Configuration'
start nicsetup
main=$(wait_window "$acd") || fail "nicsetup shows no window captioned '$acd': $(windows) $(cat "$log")"
if [ -n "$main" ]; then
	sleep 1
	set -- $(client_area "$main")
	centre_x=$(($1 + $3 / 2))
	centre_y=$(($2 + $4 / 2))
	first_place=""
	# The choice editor (F2 on the first row of the list, tabbed into) three
	# times, then the numeric one (Space on the second row).
	for key in Tab+Tab+F2 F2 F2 Down+space; do
		# shellcheck disable=SC2046
		keys "$main" $(echo "$key" | tr '+' ' ')
		editor=$(wait_window "$acd" "$main") || { fail "$key opened no editor: $(windows)"; break; }
		sleep 0.5
		set -- $(client_area "$editor")
		dx=$(($1 + $3 / 2 - centre_x))
		dy=$(($2 + $4 / 2 - centre_y))
		[ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] ||
			fail "the editor opened by $key is $dx, $dy px off the main window's centre"
		if [ "$key" != Down+space ]; then
			[ -n "$first_place" ] || first_place="$1 $2"
			[ "$1 $2" = "$first_place" ] || fail "the choice editor opened at $1 $2, before at $first_place"
		fi
		keys "$editor" Escape
	done
	keys "$main" Escape
	check_clean_end
else
	kill "$pid"
fi

# --- cardcheck: one copy per display --------------------------------------------
is_active() {
	active=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p')
	[ -n "$active" ] && [ "$((active))" -eq "$(($1))" ]
}

title='Corvane NIC Diagnostics  v1.0'
# second_copy runtime-folder: starts another cardcheck, with that runtime
# folder ("none": without one), and waits for it to end of its own accord.
second_copy() {
	if [ "$1" = none ]; then unset XDG_RUNTIME_DIR; else export XDG_RUNTIME_DIR="$1"; fi
	start cardcheck
	export XDG_RUNTIME_DIR="$work/run"
	wait_end 20
	[ "$status" -eq 0 ] || fail "the second cardcheck (runtime folder $1) ended with status $status: $(cat "$log")"
	pid=$first
	log=$first_log
}
mkdir -p "$work/other-run"
chmod 0700 "$work/other-run"

start cardcheck
first=$pid
first_log=$log
warning=$(wait_window 'Corvane NIC Diagnostics') || fail "cardcheck shows no warning: $(windows) $(cat "$log")"
if [ -n "$warning" ]; then
	# No window carries the title yet: the second copy only ends.
	second_copy "$work/other-run"
	count=$(xdotool search --onlyvisible --name '^Corvane NIC' 2>/dev/null | wc -l)
	[ "$count" -eq 1 ] || fail "during the warning a second copy showed a window ($count windows)"
	keys "$warning" Return
	sheet=$(wait_window "$title") || fail "cardcheck opened no sheet: $(windows) $(cat "$log")"
fi
if [ -n "${sheet:-}" ]; then
	for runtime in "$work/other-run" none; do
		# The running copy's sheet is out of sight, minimised.
		xdotool windowminimize --sync "$sheet"
		second_copy "$runtime"
		wait_for 5 is_active "$sheet" ||
			fail "with runtime folder $runtime the running copy's sheet did not come to the front"
		count=$(xdotool search --onlyvisible --name '^Corvane NIC' 2>/dev/null | wc -l)
		[ "$count" -eq 1 ] || fail "with runtime folder $runtime there are $count cardcheck windows"
	done
	program=cardcheck
	keys "$sheet" Escape
	check_clean_end
fi
kill "$first" 2>/dev/null
finish
