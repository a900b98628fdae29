# SPDX-License-Identifier: MIT
# Shared by the packaging tests (sourced). Every test works in a scratch
# folder of its own and installs only there, never into the machine's folders.
# Arguments of every test: the source folder, the build folder, cmake, cpack.
set -u

SOURCE_DIR=$1
BUILD_DIR=$2
CMAKE=$3
CPACK=$4

scratch_name=packaging
. "$(dirname "$0")/../support/checks.sh"

# check DESCRIPTION COMMAND...: the command must succeed.
check() {
	what=$1
	shift
	"$@" || fail "$what"
}

# Was this program built? Only what exists is installed.
built() {
	[ -x "$BUILD_DIR/bin/$1" ]
}

# install_into PREFIX [DESTDIR]: the build installed as `cmake --install` does it.
install_into() {
	log="$work/install-$(basename "$1").log"
	# From the scratch folder, which gets the install manifest.
	if ! (cd "$work" && DESTDIR=${2:-} "$CMAKE" --install "$BUILD_DIR" --prefix "$1") >"$log" 2>&1; then
		cat "$log" >&2
		echo "FAIL: cmake --install --prefix $1 failed" >&2
		exit 1
	fi
}

is_elf() {
	[ "$(head -c 4 "$1" | od -An -c | tr -d ' ')" = '177ELF' ]
}

# The absolute path of every file below a folder, relative to it, sorted.
files_below() {
	(cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
}

# The store that the package's postinst creates on a fresh machine, made by
# that very script under the scratch root $1:
# $1/var/lib/velnet/registry.reg.
make_package_store() {
	mkdir -p "$1"
	DPKG_ROOT=$1 sh "$SOURCE_DIR/packaging/debian/postinst" configure ||
		fail "postinst configure failed under $1"
}
