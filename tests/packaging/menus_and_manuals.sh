#!/bin/sh
# SPDX-License-Identifier: MIT
# What the desktop and man read from the installed tree is valid: the menu
# entries, the icons they name, the polkit policy and the manual pages.
. "$(dirname "$0")/lib.sh"
need_tools desktop-file-validate mandoc

# Staged as the package installs it, so every path in the texts is /usr's.
install_into /usr "$work/stage"
prefix=$work/stage/usr

# --- Menu entries -------------------------------------------------------------
for program in nicsetup cardcheck; do
	entry=$prefix/share/applications/velnet-$program.desktop
	if [ ! -f "$entry" ]; then
		fail "no menu entry for $program"
		continue
	fi
	# Not even a hint: two main categories would put the entry twice.
	report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate rejects $entry: $report"
	[ -z "$report" ] || fail "desktop-file-validate on $entry: $report"
	value() { sed -n "/^\[Desktop Entry\]/,/^\[/s/^$1=//p" "$entry"; }
	[ "$(value Exec)" = "velnet-launch $program" ] || fail "$program's entry starts '$(value Exec)'"
	[ -x "$prefix/bin/velnet-launch" ] || fail "the launcher of the menu entries is not installed"
	! built "$program" || [ -x "$prefix/bin/$program" ] ||
		fail "$program's menu entry starts a program that is not installed"
	[ "$(value Categories)" = "Settings;HardwareSettings;" ] ||
		fail "$program's entry is in '$(value Categories)', not in Settings alone"
	# The desktop knows the program's windows as the entry's by their class.
	[ "$(value StartupWMClass)" = "$program" ] ||
		fail "$program's entry names the window class '$(value StartupWMClass)'"
	icon=$(value Icon)
	[ -f "$prefix/share/icons/hicolor/48x48/apps/$icon.png" ] ||
		fail "$program's icon '$icon' has no 48x48 picture in the hicolor theme"
	[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
		fail "$program's icon '$icon' has no scalable picture in the hicolor theme"
	grep -q "<icon_name>$icon</icon_name>" "$prefix/share/polkit-1/actions/org.velnet.policy" ||
		fail "the password prompt for $program does not show its icon"
done
for size in 16 24 32 48 64 128 256; do
	for icon in velnet-nicsetup velnet-cardcheck; do
		png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
		[ -f "$png" ] || continue
		# The PNG header holds width and height as big-endian words.
		dimensions=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
		[ "$dimensions" = "${size}x$size" ] || fail "$icon.png in ${size}x$size is $dimensions"
	done
done

# --- The polkit policy ------------------------------------------------------
policy=$prefix/share/polkit-1/actions/org.velnet.policy
if command -v xmllint >/dev/null 2>&1 && [ -f /usr/share/polkit-1/policyconfig-1.dtd ]; then
	report=$(xmllint --noout --nonet --dtdvalid /usr/share/polkit-1/policyconfig-1.dtd "$policy" 2>&1) ||
		fail "the policy does not follow polkit's DTD: $report"
else
	echo "note: xmllint or polkit's DTD is missing; the policy is not validated" >&2
fi
for program in nicsetup cardcheck; do
	grep -q "<action id=\"org.velnet.$program\">" "$policy" || fail "the policy has no action for $program"
done
grep -q '<allow_active>auth_admin' "$policy" || fail "the policy does not ask for the administrator password"
if grep -Eq '<allow_(any|inactive|active)>yes<' "$policy"; then
	fail "the policy gives root without a password"
fi

# --- Manual pages -----------------------------------------------------------
man_text() { # the page as a terminal shows it, without the overstrikes of bold
	mandoc -T ascii "$1" | sed 's/.\x08//g'
}
# The launcher's page: clean, and naming what it starts.
man_page=$prefix/share/man/man1/velnet-launch.1.gz
report=$(mandoc -T lint -W warning "$man_page" 2>&1) || fail "mandoc -T lint on velnet-launch(1): $report"
[ -z "$report" ] || fail "mandoc -T lint on velnet-launch(1): $report"
man_text "$man_page" | grep -qF "$prefix/bin/cardcheck" || fail "velnet-launch(1) does not name the program it starts"
for page in nicsetup cardcheck regtool; do
	man_page=$prefix/share/man/man1/$page.1.gz
	if [ ! -f "$man_page" ]; then
		fail "no manual page for $page"
		continue
	fi
	report=$(mandoc -T lint -W warning "$man_page" 2>&1) || fail "mandoc -T lint on $page(1): $report"
	[ -z "$report" ] || fail "mandoc -T lint on $page(1): $report"
	if command -v man >/dev/null 2>&1; then
		report=$(MANWIDTH=80 man --warnings -l "$man_page" 2>&1 >/dev/null)
		[ -z "$report" ] || fail "man --warnings on $page(1): $report"
	fi
	text=$(man_text "$man_page")
	for section in NAME SYNOPSIS DESCRIPTION ENVIRONMENT FILES 'EXIT STATUS' EXAMPLES; do
		printf '%s\n' "$text" | grep -qx "$section" || fail "$page(1) has no $section section"
	done
	for variable in VELNET_REGISTRY VELNET_LIBRARY_PATH NICPORT_SCENARIO VELNET_NO_RESTART; do
		printf '%s\n' "$text" | grep -q "$variable" || fail "$page(1) does not mention $variable"
	done
	printf '%s\n' "$text" | grep -q '/var/lib/velnet/registry.reg' || fail "$page(1) does not name the store"
	# The examples a page refers to are installed.
	for example in $(printf '%s\n' "$text" | grep -oE '/usr/share/doc/velnet/examples/[A-Za-z0-9_./-]*'); do
		[ -e "$work/stage$example" ] || fail "$page(1) refers to $example, which is not installed"
	done
	# Paths name the installation, never the build.
	case $text in
	*"$BUILD_DIR"*) fail "$page(1) names the build folder" ;;
	esac
done
text=$(man_text "$prefix/share/man/man1/cardcheck.1.gz")
for switch in -a -inf; do
	printf '%s\n' "$text" | grep -qE "^ +$switch( |\$)" || fail "cardcheck(1) does not describe the switch $switch"
done
printf '%s\n' "$text" | grep -qF "/usr/lib/velnet" || fail "cardcheck(1) does not name the installed library folder"
text=$(man_text "$prefix/share/man/man1/regtool.1.gz")
for command in query add delete import export; do
	printf '%s\n' "$text" | grep -qE "^ +$command( |\$)" || fail "regtool(1) does not describe the command $command"
done

finish
