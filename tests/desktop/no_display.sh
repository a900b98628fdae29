#!/bin/sh
# SPDX-License-Identifier: MIT
# Started where no display can be opened, each program says so, names the
# display it tried, says how to give it one, and ends with status 1 (not with
# Qt's abort).
. "$(dirname "$0")/lib.sh"
need_programs nicsetup cardcheck

# A display number nobody serves: no socket of that number exists.
unserved=:$(($$ % 400 + 500))
while [ -e "/tmp/.X11-unix/X${unserved#:}" ]; do
	unserved=:$((${unserved#:} + 1))
done

# expect_refusal what program environment...: the program, started with the
# environment given, must end with status 1 and the message.
expect_refusal() {
	what=$1
	program=$2
	shift 2
	run_with_watchdog 60 "$work/out" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" \
		"$BUILD_DIR/bin/$program"
	output=$(cat "$work/out")
	[ "$status" -eq 1 ] || fail "$program $what: status $status, not 1: $output"
	case $output in
	*"$program: no display could be opened"*) ;;
	*) fail "$program $what: does not say that no display could be opened: $output" ;;
	esac
	case $output in
	*DISPLAY*WAYLAND_DISPLAY*xvfb-run*) ;;
	*) fail "$program $what: does not say how to give it a display: $output" ;;
	esac
	case $output in
	*Reinstalling*) fail "$program $what: still shows Qt's advice to reinstall: $output" ;;
	esac
}

# traymon, which cardcheck starts, too: not Qt's abort (SIGABRT) either.
helpers=""
[ ! -x "$BUILD_DIR/bin/traymon" ] || helpers=traymon
for program in nicsetup cardcheck $helpers; do
	expect_refusal "without DISPLAY or WAYLAND_DISPLAY" "$program"
	expect_refusal "on the X11 platform without DISPLAY" "$program" QT_QPA_PLATFORM=xcb
	expect_refusal "with an empty DISPLAY" "$program" DISPLAY=
	expect_refusal "with a display nobody serves" "$program" DISPLAY="$unserved"
	case $output in
	*"the X display $unserved did not answer"*) ;;
	*) fail "$program with a display nobody serves: does not name it: $output" ;;
	esac
	# Wayland alone: the display tried is named, and the package Qt needs for it.
	expect_refusal "with only WAYLAND_DISPLAY, to nobody" "$program" QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=nosuch-wl
	case $output in
	*"the Wayland display nosuch-wl (Qt's Wayland platform is the package qt6-wayland)"*) ;;
	*) fail "$program on Wayland alone: does not name the display it tried: $output" ;;
	esac
	expect_refusal "on Wayland without WAYLAND_DISPLAY" "$program" QT_QPA_PLATFORM=wayland DISPLAY="$unserved"
done
finish
