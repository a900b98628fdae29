#!/bin/sh
# SPDX-License-Identifier: MIT
# The README's package build (scripts/package.sh) compiles and links with
# Debian's hardening flags from dpkg-buildflags, at Debian's -O2 and without
# assertions: configured into a scratch folder, its build commands say so.
. "$(dirname "$0")/lib.sh"
need_tools dpkg-buildflags ninja

if ! VELNET_CONFIGURE_ONLY=1 "$SOURCE_DIR/scripts/package.sh" "$work/build" >"$work/configure.log" 2>&1; then
	cat "$work/configure.log" >&2
	echo "FAIL: scripts/package.sh could not configure" >&2
	exit 1
fi
commands=$(cd "$work/build" && ninja -t commands regtool)
compile=$(printf '%s\n' "$commands" | grep -m 1 ' -c .*regtool/')
link=$(printf '%s\n' "$commands" | grep -- ' -o bin/regtool')
for flag in -D_FORTIFY_SOURCE=2 -fstack-protector-strong -O2 -DNDEBUG; do
	case " $compile " in *" $flag "*) ;; *) fail "the package's sources are compiled without $flag: $compile" ;; esac
done
case " $compile " in *" -O3 "*) fail "the package's sources are compiled with -O3, not dpkg-buildflags' -O2" ;; esac
for flag in -Wl,-z,relro -Wl,-z,now; do
	case " $link " in *" $flag "*) ;; *) fail "the package's programs are linked without $flag: $link" ;; esac
done
finish
