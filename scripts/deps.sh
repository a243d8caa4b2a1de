# Installs what Quenzal needs to build, run and test, when it is missing.
# Sourced by run.sh and test.sh; uses sudo when not run as root.
quenzal_install_deps() {
    missing=""
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
            || missing="$missing $pkg"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
}

# qt6-translations-l10n: Qt's own dialogs and buttons in the chosen language. libtag1-dev:
# TagLib, which reads the sources' tags (carried over by a conversion) and reads and writes the
# ID3v2 tags in the tag editor. parallel, openssh-client and rsync: runs spread over other
# computers ("Machines"); rsync only when the files are transferred rather than shared.
QUENZAL_RUNTIME_DEPS="cmake g++ ninja-build pkg-config qt6-base-dev qt6-svg-dev qt6-translations-l10n libtag1-dev lame dbus fonts-dejavu-core parallel openssh-client rsync"
# The install smoke test validates the desktop entry and the AppStream file. openssh-server:
# the tests of runs over machines start their own sshd.
QUENZAL_TEST_DEPS="$QUENZAL_RUNTIME_DEPS openssh-server dbus-daemon clang libclang-rt-14-dev desktop-file-utils appstream"
# scripts/package.sh: dpkg-shlibdeps (and file, which CPack uses beside it) work out the
# library dependencies of the Debian package.
QUENZAL_PACKAGE_DEPS="$QUENZAL_RUNTIME_DEPS dpkg-dev file"
