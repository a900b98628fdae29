#!/bin/sh
# SPDX-License-Identifier: MIT
# The menu's launcher as a user meets it on a desktop (a virtual X display of
# the test's own): when the program cannot get administrator rights, a window
# says why, and for cardcheck its default answer starts the program without
# them; in a Wayland session root is let into the session's Xwayland for the
# one program and out again. pkexec, id and xhost are stand-ins that record
# how they were called; the programs are stand-ins too.
. "$(dirname "$0")/lib.sh"
need_tools xmessage
start_display

# Only the tools the launcher may use, so that the desktop's own dialog
# programs (zenity, kdialog) of this machine are not chosen.
tools=$work/tools
mkdir -p "$tools" "$work/bin"
for tool in dirname readlink grep xmessage; do
	ln -s "$(command -v "$tool")" "$tools/$tool"
done
cat >"$tools/id" <<'SH'
#!/bin/sh
echo 1000
SH
cat >"$tools/pkexec" <<'SH'
#!/bin/sh
printf 'pkexec %s\n' "$*" >>"$CALLS"
exit "$PKEXEC_STATUS"
SH
cat >"$tools/xhost" <<'SH'
#!/bin/sh
printf 'xhost %s\n' "$*" >>"$CALLS"
[ $# -gt 0 ] || echo 'access control enabled, only authorized clients can connect'
SH
cp "$SOURCE_DIR/packaging/velnet-launch" "$work/bin/"
for program in nicsetup cardcheck; do
	printf '#!/bin/sh\nprintf "direct %%s\\n" "$*" >>"$CALLS"\n' >"$work/bin/$program"
done
chmod +x "$tools"/* "$work/bin"/*

# launch STATUS program arguments...: the launcher in the background, with
# pkexec ending with STATUS; sets pid.
launch() {
	status_wanted=$1
	shift
	: >"$work/calls"
	env -i PATH="$tools" CALLS="$work/calls" PKEXEC_STATUS="$status_wanted" DISPLAY="$display" \
		${WAYLAND:+WAYLAND_DISPLAY="$WAYLAND"} ${WAYLAND:+XDG_SESSION_TYPE=wayland} \
		"$work/bin/velnet-launch" "$@" >"$work/launch.log" 2>&1 &
	pid=$!
	background_pids="$background_pids $pid"
}
# The launcher's window, once it shows.
launcher_window() {
	wait_for 20 xdotool search --name "^velnet-launch: $1\$" >/dev/null &&
		xdotool search --name "^velnet-launch: $1\$" | head -n 1
}
calls() { cat "$work/calls"; }

# No polkit agent: cardcheck's window offers to start without the rights,
# and Return (its default) does.
WAYLAND=""
launch 127 cardcheck -a
window=$(launcher_window cardcheck) || fail "no window says why cardcheck did not start: $(cat "$work/launch.log")"
if [ -n "$window" ]; then
	keys "$window" Return
	wait_end 20
	[ "$status" -eq 0 ] || fail "the launcher ended with $status after the offer was taken"
	[ "$(calls)" = "$(printf 'pkexec %s\ndirect -a' "$work/bin/cardcheck -a")" ] ||
		fail "taking the offer ran: $(calls)"
fi
grep -q 'no polkit authentication agent answers' "$work/launch.log" ||
	fail "the launcher does not say that no agent answered: $(cat "$work/launch.log")"

# The password not given: nicsetup cannot go on; the window says so and the
# launcher ends with 1.
launch 126 nicsetup
window=$(launcher_window nicsetup) || fail "no window says why nicsetup did not start: $(cat "$work/launch.log")"
if [ -n "$window" ]; then
	keys "$window" Return
	wait_end 20
	[ "$status" -eq 1 ] || fail "the launcher ended with $status, not 1, when nicsetup could not start"
	[ "$(calls)" = "pkexec $work/bin/nicsetup" ] || fail "nicsetup was started after all: $(calls)"
fi
grep -q 'the administrator password was not given' "$work/launch.log" ||
	fail "the launcher does not say that no password was given: $(cat "$work/launch.log")"

# A Wayland session with Xwayland: root gets in for the program, then out.
WAYLAND=wayland-test
launch 0 nicsetup
wait_end 20
[ "$status" -eq 0 ] || fail "the launcher ended with $status in a Wayland session: $(cat "$work/launch.log")"
[ "$(calls)" = "$(printf 'xhost \nxhost +SI:localuser:root\npkexec %s\nxhost -SI:localuser:root' "$work/bin/nicsetup")" ] ||
	fail "in a Wayland session the launcher ran: $(calls)"

# Without Xwayland nothing can show root's windows: it says so, naming the
# session's display, and cardcheck's offer starts it on Wayland as the user.
display=""
launch 0 cardcheck
wait_end 20
case $(cat "$work/launch.log") in
*"WAYLAND_DISPLAY=wayland-test"*"DISPLAY is not set"*) ;;
*) fail "without Xwayland the launcher does not say why: $(cat "$work/launch.log")" ;;
esac
[ -z "$(calls)" ] || fail "without Xwayland the launcher ran: $(calls)"
finish
