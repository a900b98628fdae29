#!/bin/sh
# SPDX-License-Identifier: MIT
# An installed tree works without the build folder: every file where this
# platform expects it, nothing in it points into the build folder, the
# programs run from it on a store of their own, and the menu's launcher hands
# them to pkexec under the path that the polkit policy names.
. "$(dirname "$0")/lib.sh"

mkdir -p "$work/prefix"
prefix=$(readlink -f "$work/prefix") # pkexec compares the path as given
install_into "$prefix"

# --- Files in place ---------------------------------------------------------
expect_file() {
	[ -f "$prefix/$1" ] || fail "not installed: $1"
}
for f in bin/regtool bin/velnet-launch \
	share/applications/velnet-nicsetup.desktop share/applications/velnet-cardcheck.desktop \
	share/polkit-1/actions/org.velnet.policy \
	share/man/man1/nicsetup.1.gz share/man/man1/cardcheck.1.gz share/man/man1/regtool.1.gz; do
	expect_file "$f"
done
for icon in velnet-nicsetup velnet-cardcheck; do
	for size in 16 24 32 48 64 128 256; do
		expect_file "share/icons/hicolor/${size}x${size}/apps/$icon.png"
	done
	expect_file "share/icons/hicolor/scalable/apps/$icon.svg"
done
check "velnet-launch is not executable" test -x "$prefix/bin/velnet-launch"
# The programs in bin/, the helpers only cardcheck starts in lib/velnet, the
# help files (data) in share/velnet.
for program in nicsetup cardcheck traymon winmsd; do
	built "$program" || continue
	case $program in
	traymon | winmsd) folder=lib/velnet ;;
	*) folder=bin ;;
	esac
	check "$program is not installed as a program in $folder" test -x "$prefix/$folder/$program"
	[ "$folder" = bin ] || [ ! -e "$prefix/bin/$program" ] || fail "the helper $program is in bin/"
	if [ -f "$BUILD_DIR/bin/$program.hlp" ]; then
		check "$program.hlp differs from the build's or is missing in share/velnet" \
			cmp -s "$BUILD_DIR/bin/$program.hlp" "$prefix/share/velnet/$program.hlp"
	fi
done
ls "$prefix"/bin/*.hlp >/dev/null 2>&1 && fail "help files in bin/: $(ls "$prefix"/bin/*.hlp)"
for f in share/man/man1/velnet-launch.1.gz share/doc/velnet/copyright share/doc/velnet/changelog.gz; do
	expect_file "$f"
done
# The real NICs' libraries are the default, beside the program; the
# simulated ones have a folder of their own.
for lib in "$BUILD_DIR"/lib/velnet/*.so "$BUILD_DIR"/lib/velnet/simulated/*.so; do
	[ -e "$lib" ] || continue
	expect_file "${lib#"$BUILD_DIR"/}"
done
if [ -f "$BUILD_DIR/lib/velnet/ethcfg.so" ]; then
	for lib in nicport ethcfg vxthnk32 tempocfg; do
		[ ! -f "$BUILD_DIR/lib/velnet/$lib.so" ] || expect_file "lib/velnet/$lib.so"
	done
	readelf --dyn-syms "$prefix/lib/velnet/nicport.so" | grep -q ' DiscoverCards$' ||
		fail "lib/velnet/nicport.so exports no DiscoverCards"
	# The real one reads VELNET_NICS, the simulated one its scenario.
	grep -qa VELNET_NICS "$prefix/lib/velnet/nicport.so" ||
		fail "lib/velnet/nicport.so is not the real NICs' nicport"
	grep -qa NICPORT_SCENARIO "$prefix/lib/velnet/simulated/nicport.so" ||
		fail "lib/velnet/simulated/nicport.so is not the simulated nicport"
	for lib in nicport vx410cfg vx210cfg; do
		expect_file "lib/velnet/simulated/$lib.so"
	done
fi
# The demonstration store and scenarios that the manual pages refer to.
if [ -d "$SOURCE_DIR/examples" ]; then
	for example in $(files_below "$SOURCE_DIR/examples"); do
		expect_file "share/doc/velnet/examples/$example"
	done
fi
# Tests, benchmarks and the static libraries stay in the build folder.
stray=$(files_below "$prefix" | grep -E '_tests?$|_benchmark$|\.a$|^include/' || true)
[ -z "$stray" ] || fail "installed what only the build needs: $stray"

# --- Nothing points into the build folder -----------------------------------
for file in "$prefix"/bin/* "$prefix"/lib/velnet/* "$prefix"/lib/velnet/simulated/*; do
	[ -f "$file" ] && is_elf "$file" || continue
	name=${file#"$prefix"/}
	paths=$(readelf -d "$file" | grep -E 'RPATH|RUNPATH' || true)
	case $paths in
	*"$BUILD_DIR"* | *"$SOURCE_DIR"*) fail "$name has a run-time search path into the tree: $paths" ;;
	esac
	linked=$(ldd "$file" 2>&1)
	case $linked in
	*"not found"*) fail "$name needs a library that is not found: $linked" ;;
	*"$BUILD_DIR"*) fail "$name loads a library from the build folder: $linked" ;;
	esac
	if readelf -p .rodata "$file" 2>/dev/null | grep -qF "$BUILD_DIR"; then
		fail "$name has the build folder compiled in"
	fi
done

# --- The installed regtool on a store of its own ----------------------------
store=$work/regtool.reg
key='HKLM\SYSTEM\CurrentControlSet\Services\vxsrvnt1\Parameters'
regtool() {
	(cd "$work" && env -u VELNET_LIBRARY_PATH VELNET_REGISTRY="$store" "$prefix/bin/regtool" "$@")
}
check "regtool add failed" regtool add "$key" /v SamplingWindow /t REG_DWORD /d 500 /f >/dev/null
regtool query "$key" /v SamplingWindow | grep -qE '^ +SamplingWindow +REG_DWORD +0x1f4$' ||
	fail "regtool query does not show the value that add stored"
check "regtool export failed" regtool export 'HKLM\SYSTEM\CurrentControlSet\Services' "$work/services.reg" /y >/dev/null
check "regtool delete failed" regtool delete 'HKLM\SYSTEM\CurrentControlSet\Services\vxsrvnt1' /f >/dev/null
if regtool query "$key" >/dev/null 2>"$work/query.err"; then
	fail "regtool query finds a deleted key"
fi
grep -q '^ERROR:' "$work/query.err" || fail "regtool gives no error for a missing key"
check "regtool import failed" regtool import "$work/services.reg" >/dev/null
regtool query "$key" /v SamplingWindow | grep -qE 'REG_DWORD +0x1f4$' ||
	fail "regtool import did not bring the exported value back"

# --- The launcher and the policy --------------------------------------------
policy=$prefix/share/polkit-1/actions/org.velnet.policy
policy_path() { # the program that the policy lets pkexec start for action $1
	sed -n "/<action id=\"$1\">/,/<\/action>/s|.*policykit.exec.path\">\(.*\)</annotate>.*|\1|p" "$policy"
}
grep -c 'org.freedesktop.policykit.exec.allow_gui">true<' "$policy" | grep -qx 2 ||
	fail "the policy does not let both programs use the display"

mkdir -p "$work/fake"
cat >"$work/fake/id" <<'EOF'
#!/bin/sh
if [ "$1" = -u ]; then echo "$FAKE_UID"; else exec /usr/bin/id "$@"; fi
EOF
cat >"$work/fake/pkexec" <<'EOF'
#!/bin/sh
printf '%s\n' pkexec "$@" >>"$FAKE_LOG"
EOF
chmod +x "$work/fake/id" "$work/fake/pkexec"
launch() { # uid launcher arguments...
	uid=$1
	launcher=$2
	shift 2
	rm -f "$work/launch.log"
	FAKE_UID=$uid FAKE_LOG=$work/launch.log PATH="$work/fake:$PATH" "$launcher" "$@"
}

for program in nicsetup cardcheck; do
	launch 1000 "$prefix/bin/velnet-launch" "$program" -a x ||
		fail "velnet-launch $program failed for a user"
	expected=$(printf '%s\n' pkexec "$prefix/bin/$program" -a x)
	[ "$(cat "$work/launch.log" 2>/dev/null)" = "$expected" ] ||
		fail "velnet-launch $program as a user ran: $(cat "$work/launch.log" 2>/dev/null)"
	[ "$(policy_path "org.velnet.$program")" = "$prefix/bin/$program" ] ||
		fail "the policy names '$(policy_path "org.velnet.$program")' for $program, not the installed program"
done
if launch 1000 "$prefix/bin/velnet-launch" sh -c true 2>/dev/null; then
	fail "velnet-launch accepts a program other than nicsetup and cardcheck"
fi
[ ! -e "$work/launch.log" ] || fail "velnet-launch asked pkexec to run another program"

# As root the program runs directly: a copy of the launcher beside a stand-in.
mkdir -p "$work/scratch/bin"
cp "$prefix/bin/velnet-launch" "$work/scratch/bin/"
cat >"$work/scratch/bin/nicsetup" <<'EOF'
#!/bin/sh
printf '%s\n' direct "$0" "$@" >>"$FAKE_LOG"
EOF
chmod +x "$work/scratch/bin/nicsetup"
launch 0 "$work/scratch/bin/velnet-launch" nicsetup "two words" || fail "velnet-launch failed for root"
expected=$(printf '%s\n' direct "$(readlink -f "$work/scratch/bin")/nicsetup" "two words")
[ "$(cat "$work/launch.log" 2>/dev/null)" = "$expected" ] ||
	fail "velnet-launch as root ran: $(cat "$work/launch.log" 2>/dev/null)"

# --- The installed programs start on a display ------------------------------
# On a virtual X display we can see which windows appear; without one, an
# offscreen start only shows that the program reaches its first dialog alive.
display=""
if command -v Xvfb >/dev/null 2>&1 && command -v xwininfo >/dev/null 2>&1; then
	# -noreset: a program that starts while the server resets after the
	# previous one left could not connect.
	Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
	background_pids="$background_pids $!"
	if wait_for 20 test -s "$work/display"; then
		display=:$(cat "$work/display")
	else
		echo "note: Xvfb did not start; checking offscreen only" >&2
	fi
fi
# The titles of the windows of program $1.
windows_of() {
	xwininfo -display "$display" -root -tree 2>/dev/null |
		sed -n "s/^ *0x[0-9a-f]* \"\(.*\)\": (\"$1\" \"$1\").*/\1/p"
}
has_window() { # program title: Qt may add " — program" to a window's title
	windows_of "$1" | while read -r title; do
		case $title in
		"$2" | "$2 — "*) echo yes ;;
		esac
	done | grep -q yes
}
# Whether program $1 shows a window titled $2 of at least $3 x $4 pixels.
has_window_of_size() {
	xwininfo -display "$display" -root -tree 2>/dev/null |
		sed -n "s/^ *0x[0-9a-f]* \"\(.*\)\": (\"$1\" \"$1\")  *\([0-9]*\)x\([0-9]*\)+.*/\2 \3 \1/p" |
		while read -r width height title; do
			[ "$title" = "$2" ] && [ "$width" -ge "$3" ] && [ "$height" -ge "$4" ] && echo yes
		done | grep -q yes
}
has_any_window() {
	[ -n "$(windows_of "$1")" ]
}

mkdir -p "$work/run" "$work/home"
chmod 0700 "$work/run"
start() { # program store arguments...: starts the installed program, sets pid
	program=$1
	store=$2
	shift 2
	platform=offscreen
	[ -z "$display" ] || platform=xcb
	(cd "$work" && exec env -u VELNET_LIBRARY_PATH -u NICPORT_SCENARIO ${libpath:+VELNET_LIBRARY_PATH="$libpath"} HOME="$work/home" \
		XDG_RUNTIME_DIR="$work/run" VELNET_REGISTRY="$store" VELNET_NO_RESTART=1 \
		QT_QPA_PLATFORM=$platform DISPLAY="$display" \
		"$prefix/bin/$program" "$@") >"$work/$program.log" 2>&1 &
	pid=$!
	background_pids="$background_pids $pid"
}
stop() {
	kill "$pid" 2>/dev/null
	wait "$pid" 2>/dev/null
}
alive() {
	kill -0 "$pid" 2>/dev/null
}

main_title='Autocure Driver (ACD) Configuration'
if built nicsetup; then
	make_package_store "$work/root"
	cp "$work/root/var/lib/velnet/registry.reg" "$work/nicsetup.reg"
	start nicsetup "$work/nicsetup.reg"
	if [ -n "$display" ]; then
		wait_for 60 has_window nicsetup "$main_title" ||
			fail "installed nicsetup did not open its window on the package's store: $(windows_of nicsetup) $(cat "$work/nicsetup.log")"
	else
		sleep 5
		alive || fail "installed nicsetup ended on the package's store: $(cat "$work/nicsetup.log")"
	fi
	stop

	# Without the driver's service key it says so in a message box captioned
	# with its name, never opens its window, and ends with status 1.
	printf '%s\n' REGEDIT4 '' '[HKEY_LOCAL_MACHINE\SOFTWARE\Corvane]' '' >"$work/empty.reg"
	start nicsetup "$work/empty.reg"
	if [ -n "$display" ]; then
		wait_for 60 has_window nicsetup nicsetup ||
			fail "installed nicsetup shows no message on a store without the service key: $(windows_of nicsetup) $(cat "$work/nicsetup.log")"
		! has_window nicsetup "$main_title" ||
			fail "installed nicsetup opened its window on a store without the service key"
		if command -v xdotool >/dev/null 2>&1; then
			window=$(DISPLAY=$display xdotool search --name '^nicsetup$' | head -n 1)
			DISPLAY=$display xdotool windowfocus --sync "$window" key Return
			(sleep 30 && kill "$pid") >/dev/null 2>&1 &
			watchdog=$!
			background_pids="$background_pids $watchdog"
			wait "$pid"
			status=$?
			kill "$watchdog" 2>/dev/null
			[ "$status" -eq 1 ] || fail "installed nicsetup ended with $status, not 1, after its message: $(cat "$work/nicsetup.log")"
		fi
	fi
	stop
fi

if built cardcheck; then
	make_package_store "$work/root"
	cp "$work/root/var/lib/velnet/registry.reg" "$work/cardcheck.reg"
	# The simulated NICs, chosen from the installed folder as the manual
	# page says: the test must not depend on this machine's own NICs.
	libpath="$prefix/lib/velnet/simulated"
	start cardcheck "$work/cardcheck.reg"
	if [ -n "$display" ]; then
		wait_for 60 has_window cardcheck 'Corvane NIC Diagnostics' ||
			fail "installed cardcheck did not show its warning: $(windows_of cardcheck) $(cat "$work/cardcheck.log")"
		# Past the warning it finds the simulated NICs with the installed
		# libraries alone (the thunk library and the applet come from the
		# default folder) and opens the sheet. Its message boxes carry the
		# sheet's title too, but the sheet with its four pages is far larger.
		if command -v xdotool >/dev/null 2>&1 && [ -f "$BUILD_DIR/lib/velnet/simulated/nicport.so" ]; then
			window=$(DISPLAY=$display xdotool search --name '^Corvane NIC Diagnostics$' | head -n 1)
			DISPLAY=$display xdotool windowfocus --sync "$window" key Return
			wait_for 60 has_window_of_size cardcheck 'Corvane NIC Diagnostics  v1.0' 400 300 ||
				fail "installed cardcheck did not open its sheet: $(windows_of cardcheck) $(cat "$work/cardcheck.log")"
		fi
	else
		sleep 5
		alive || fail "installed cardcheck ended at start: $(cat "$work/cardcheck.log")"
	fi
	stop
fi

finish
