#!/bin/sh
# SPDX-License-Identifier: MIT
# The Debian package: built with cpack into a scratch folder, it holds every
# file that an installation into /usr holds, declares what it needs at run
# time, and its maintainer scripts create the machine's store on installation
# and remove it only on purge (run here under a scratch root through
# DPKG_ROOT; the package itself is never installed by a test).
. "$(dirname "$0")/lib.sh"
need_tools dpkg-deb dpkg-shlibdeps lintian

if ! "$CPACK" --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
	cat "$work/cpack.log" >&2
	echo "FAIL: cpack -G DEB failed" >&2
	exit 1
fi
set -- "$work"/out/velnet-*.deb
[ $# -eq 1 ] && [ -f "$1" ] || {
	echo "FAIL: cpack made no velnet-*.deb (apt-get install ./velnet-*.deb needs that name): $(ls "$work/out")" >&2
	exit 1
}
deb=$1

# --- Contents ---------------------------------------------------------------
dpkg-deb -c "$deb" | awk '{print $6}' | sed -n 's|^\./||p' | grep -v '/$' | LC_ALL=C sort >"$work/contents"
# What an installation into /usr holds, staged the way the package is.
install_into /usr "$work/stage"
files_below "$work/stage" >"$work/expected"
missing=$(LC_ALL=C comm -23 "$work/expected" "$work/contents")
[ -z "$missing" ] || fail "the package lacks: $missing"
extra=$(LC_ALL=C comm -13 "$work/expected" "$work/contents")
[ -z "$extra" ] || fail "the package holds what an installation does not: $extra"

# Whatever the build holds, these must be there, where the system looks.
in_package() {
	grep -qxF "$1" "$work/contents" || fail "the package lacks $1"
}
for f in usr/bin/regtool usr/bin/velnet-launch \
	usr/share/applications/velnet-nicsetup.desktop usr/share/applications/velnet-cardcheck.desktop \
	usr/share/polkit-1/actions/org.velnet.policy \
	usr/share/icons/hicolor/48x48/apps/velnet-nicsetup.png \
	usr/share/icons/hicolor/48x48/apps/velnet-cardcheck.png \
	usr/share/icons/hicolor/scalable/apps/velnet-nicsetup.svg \
	usr/share/icons/hicolor/scalable/apps/velnet-cardcheck.svg \
	usr/share/man/man1/nicsetup.1.gz usr/share/man/man1/cardcheck.1.gz usr/share/man/man1/regtool.1.gz; do
	in_package "$f"
done
for program in nicsetup cardcheck; do
	built "$program" || continue
	in_package "usr/bin/$program"
	[ ! -f "$BUILD_DIR/bin/$program.hlp" ] || in_package "usr/share/velnet/$program.hlp"
done
for helper in traymon winmsd; do
	! built "$helper" || in_package "usr/lib/velnet/$helper"
done
for f in usr/share/man/man1/velnet-launch.1.gz usr/share/doc/velnet/copyright usr/share/doc/velnet/changelog.gz; do
	in_package "$f"
done
for lib in "$BUILD_DIR"/lib/velnet/*.so "$BUILD_DIR"/lib/velnet/simulated/*.so; do
	[ -e "$lib" ] && in_package "usr/${lib#"$BUILD_DIR"/}"
done
outside=$(grep -v '^usr/' "$work/contents" || true)
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"
! grep -q '^usr/local/' "$work/contents" || fail "the package installs into /usr/local"

# The policy and the manual pages name the package's paths.
dpkg-deb -x "$deb" "$work/root"
grep -q 'exec.path">/usr/bin/nicsetup<' "$work/root/usr/share/polkit-1/actions/org.velnet.policy" ||
	fail "the packaged policy does not name /usr/bin/nicsetup"
if grep -rlF "$BUILD_DIR" "$work/root/usr/share" >/dev/null 2>&1 ||
	zcat "$work"/root/usr/share/man/man1/*.gz | grep -qF "$BUILD_DIR"; then
	fail "the packaged texts name the build folder"
fi

# --- Debian policy ----------------------------------------------------------
# Every error and warning of lintian fails; what it only mentions (I:, P:)
# does not. The changelog's version is the package's.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
grep -E '^[EW]: ' "$work/lintian.log" >"$work/lintian.faults" &&
	fail "lintian finds: $(cat "$work/lintian.faults")"
zcat "$work/root/usr/share/doc/velnet/changelog.gz" | head -n 1 | grep -qF "velnet ($(dpkg-deb -f "$deb" Version))" ||
	fail "the changelog's latest entry is not of version $(dpkg-deb -f "$deb" Version)"

# --- Control fields ---------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velnet ] || fail "the package is called '$(field Package)'"
depends=$(field Depends)
case $depends in *pkexec*) ;; *) fail "the package does not depend on pkexec: $depends" ;; esac
case $(field Recommends) in *qt6-wayland*) ;; *) fail "the package does not recommend qt6-wayland: $(field Recommends)" ;; esac
case $depends in *libc6*) ;; *) fail "the package declares no library dependencies: $depends" ;; esac
if built nicsetup || built cardcheck; then
	case $depends in *libqt6widgets6*) ;; *) fail "the package does not depend on Qt Widgets: $depends" ;; esac
fi
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "the package is for '$(field Architecture)'"

# --- Maintainer scripts -----------------------------------------------------
dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
	[ -x "$work/control/$script" ] || fail "the package has no executable $script"
done
target=$work/machine
store=$target/var/lib/velnet/registry.reg
regtool() { # the packaged regtool on the store under the scratch root
	env -u VELNET_LIBRARY_PATH VELNET_REGISTRY="$store" "$work/root/usr/bin/regtool" "$@"
}
mkdir -p "$target"
DPKG_ROOT=$target "$work/control/postinst" configure || fail "postinst configure failed"
if [ -f "$store" ]; then
	[ "$(stat -c %a "$store")" = 644 ] || fail "the store has mode $(stat -c %a "$store"), not 644"
	if [ "$(id -u)" -eq 0 ]; then
		[ "$(stat -c %U:%G "$store")" = root:root ] || fail "the store belongs to $(stat -c %U:%G "$store")"
	fi
	regtool query 'HKLM\SYSTEM\CurrentControlSet\Services\vxsrvnt' >/dev/null ||
		fail "the new store has no driver service key"
else
	fail "postinst did not create the store"
fi

# An upgrade or a reinstallation keeps the store as it is.
regtool add 'HKLM\SOFTWARE\Corvane' /v PromptForReboot /d YES /f >/dev/null || fail "cannot write the new store"
before=$(cat "$store")
DPKG_ROOT=$target "$work/control/postinst" configure || fail "postinst configure failed on an existing store"
[ "$(cat "$store")" = "$before" ] || fail "postinst changed an existing store"
# ... and the folder's mode, which the administrator may have made stricter.
chmod 0750 "$target/var/lib/velnet"
DPKG_ROOT=$target "$work/control/postinst" configure || fail "postinst configure failed on a 0750 folder"
[ "$(stat -c %a "$target/var/lib/velnet")" = 750 ] ||
	fail "an upgrade reset the store folder's mode to $(stat -c %a "$target/var/lib/velnet")"

DPKG_ROOT=$target "$work/control/postrm" remove || fail "postrm remove failed"
[ "$(cat "$store" 2>/dev/null)" = "$before" ] || fail "removing the package did not keep the store"
DPKG_ROOT=$target "$work/control/postrm" purge || fail "postrm purge failed"
[ ! -e "$store" ] && [ ! -e "$store.lock" ] || fail "purging the package left the store"
[ ! -e "$target/var/lib/velnet" ] || fail "purging the package left $target/var/lib/velnet: $(ls -A "$target/var/lib/velnet")"
DPKG_ROOT=$target "$work/control/postrm" purge || fail "postrm purge failed without a store"

finish
