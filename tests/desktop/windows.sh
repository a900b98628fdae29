#!/bin/sh
# SPDX-License-Identifier: MIT
# Both programs on an X display as a person uses them with the keyboard: each
# window carries exactly its own caption (nothing added after it), every
# dialog has one size and no minimise or maximise box, and the run ends
# cleanly (a sanitizer build reports no leak of the system's libraries).
. "$(dirname "$0")/lib.sh"
need_programs nicsetup cardcheck
start_display

# The window belongs to the menu entry $2: its class is the entry's
# StartupWMClass, and it carries an icon.
check_desktop_entry() {
	wanted=$(sed -n 's/^StartupWMClass=//p' "$SOURCE_DIR/packaging/$2.desktop")
	class=$(xprop -id "$1" WM_CLASS 2>/dev/null | sed -n 's/.*, "\(.*\)"$/\1/p')
	[ -n "$wanted" ] && [ "$class" = "$wanted" ] ||
		fail "$2's window has the class '$class', its menu entry names '$wanted'"
	xprop -id "$1" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (' || fail "$2's window carries no icon"
}

no_suffix() {
	xwininfo -root -tree 2>/dev/null | grep -F " — " && fail "a window's caption carries a suffix"
}

# --- nicsetup ---------------------------------------------------------------
acd='Autocure Driver (ACD) Configuration'
start nicsetup
main=$(wait_window "$acd") || fail "nicsetup shows no window captioned '$acd': $(windows) $(cat "$log")"
if [ -n "$main" ]; then
	check_dialog_template "$main" "nicsetup's main dialog"
	check_desktop_entry "$main" velnet-nicsetup
	# Tabbed into from the NIC list past Help, the parameter list opens the
	# editor of its selected row (the first, the choice editor) on F2.
	keys "$main" Tab Tab F2
	editor=$(wait_window "$acd" "$main") || fail "F2 opened no choice editor: $(windows)"
	[ -z "$editor" ] || { check_dialog_template "$editor" "the choice editor"; keys "$editor" Escape; }
	# Row 2, Sampling Window: the numeric editor, opened with Space.
	keys "$main" Down space
	editor=$(wait_window "$acd" "$main") || fail "Space opened no numeric editor: $(windows)"
	[ -z "$editor" ] || { check_dialog_template "$editor" "the numeric editor"; keys "$editor" Escape; }
	keys "$main" Down Down Down F2
	alert=$(wait_window 'ACD  Configuration') || fail "F2 on Alert Type opened no alert editor: $(windows)"
	[ -z "$alert" ] || { check_dialog_template "$alert" "the alert editor"; keys "$alert" Escape; }
	# The About box, from the context menu's first item.
	keys "$main" shift+F10 Down Return
	about=$(wait_window 'Corvane Fast Velnet Server NIC Driver') || fail "no About box: $(windows)"
	[ -z "$about" ] || { check_dialog_template "$about" "the About box"; keys "$about" Return; }
	keys "$main" F1
	wait_window 'nicsetup Help' >/dev/null || fail "the help window has no caption of its own: $(windows)"
	no_suffix
	keys "$main" Escape
	check_clean_end
else
	kill "$pid"
fi

# --- cardcheck --------------------------------------------------------------
title='Corvane NIC Diagnostics  v1.0'
start cardcheck -inf
welcome=$(wait_window "$title") || fail "cardcheck -inf shows no welcome captioned '$title': $(windows) $(cat "$log")"
if [ -n "$welcome" ]; then
	check_dialog_template "$welcome" "the welcome dialog"
	keys "$welcome" alt+r
	wait_window 'cardcheck Help' >/dev/null || fail "the release notes have no caption of their own: $(windows)"
	no_suffix
	keys "$welcome" Escape
	check_clean_end
else
	kill "$pid"
fi

start cardcheck
warning=$(wait_window 'Corvane NIC Diagnostics') || fail "cardcheck shows no warning: $(windows) $(cat "$log")"
if [ -n "$warning" ]; then
	check_dialog_template "$warning" "the warning"
	keys "$warning" Return
	sheet=$(wait_window "$title") || fail "cardcheck opened no sheet: $(windows) $(cat "$log")"
	if [ -n "$sheet" ]; then
		check_dialog_template "$sheet" "the sheet"
		check_desktop_entry "$sheet" velnet-cardcheck
		no_suffix
		keys "$sheet" Escape
		check_clean_end
	fi
fi
kill "$pid" 2>/dev/null
finish
