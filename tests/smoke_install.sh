#!/bin/sh
# Installs Quenzal from a build folder into a temporary prefix, checks the layout, the
# launcher and the desktop files, then starts the INSTALLED program as an ordinary user,
# offscreen, with a few files on its command line in encoding mode: it must list the files it
# admits, encode them and end with exit code 0, writing its script into the user's data
# folder (the installed program folder is not the user's to write).
# Usage: tests/smoke_install.sh BUILD_FOLDER (SMOKE_KEEP=1 keeps the temporary folder)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: $0 BUILD_FOLDER}" && pwd)
started=$(date +%s)
tmp=$(mktemp -d)
if [ -n "${SMOKE_KEEP:-}" ]; then
    echo "smoke_install: working in $tmp"
else
    trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
fi
chmod 755 "$tmp"

fail() {
    echo "smoke_install: FAILED: $*" >&2
    exit 1
}

# ---- Install and look at what went where ------------------------------------------------------
prefix=$tmp/prefix
program=$prefix/lib/quenzal
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log"; fail "cmake --install $build"; }
for f in lib/quenzal/quenzal lib/quenzal/lame lib/quenzal/Langue/Francais.lng \
    lib/quenzal/Langue/English.lng lib/quenzal/Quenzal-fr.html lib/quenzal/Quenzal-en.html \
    share/applications/org.orvanel.Quenzal.desktop \
    share/icons/hicolor/scalable/apps/quenzal.svg \
    share/metainfo/org.orvanel.Quenzal.metainfo.xml; do
    [ -e "$prefix/$f" ] || fail "$f is missing from the installation"
done
[ -n "$(find "$program/Preset" -name '*.qzo')" ] || fail "no preset in $program/Preset"
[ -x "$program/lame" ] || fail "$program/lame does not lead to an encoder"
[ -L "$prefix/bin/quenzal" ] &&
    [ "$(readlink -f "$prefix/bin/quenzal")" = "$(readlink -f "$program/quenzal")" ] ||
    fail "bin/quenzal is not a link to $program/quenzal"
entry=$prefix/share/applications/org.orvanel.Quenzal.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate"
grep -qx "TryExec=$prefix/bin/quenzal" "$entry" && grep -qx "Exec=$prefix/bin/quenzal %F" "$entry" ||
    fail "the menu entry does not name $prefix/bin/quenzal"
# Only the shipped presets go in, never one saved in the build folder.
[ "$(ls "$program/Preset" | sort)" = "$(ls "$here/../resources/Preset" | sort)" ] ||
    fail "$program/Preset holds other presets than the shipped ones"
appstreamcli validate --no-net "$prefix/share/metainfo/org.orvanel.Quenzal.metainfo.xml" \
    >"$tmp/appstream.log" 2>&1 || { cat "$tmp/appstream.log"; fail "appstreamcli validate"; }

# ---- An ordinary user, a home and a music folder of their own -----------------------------
home=$tmp/home
music=$tmp/music
mkdir -p "$home" "$music" "$tmp/runtime"
chmod 700 "$tmp/runtime"
if [ "$(id -u)" -eq 0 ]; then
    user=nobody
    id "$user" >/dev/null 2>&1 || fail "there is no user '$user' to run Quenzal as"
    chown "$user" "$home" "$music" "$tmp/runtime"
    as_user() { runuser -u "$user" -- "$@"; }
else
    # The installation is ours: take its write bits away, as a system installation has them.
    chmod -R a-w "$program"
    as_user() { "$@"; }
fi
# The sanitizers of a test build read their suppressions as that user.
cp "$here/lsan.supp" "$tmp/lsan.supp"
chmod 644 "$tmp/lsan.supp"

# 16-bit stereo 44.1 kHz WAV files of one second of noise, written with printf alone.
le() { # value, byte count
    v=$1 n=$2 s=""
    while [ "$n" -gt 0 ]; do
        s="$s$(printf '\\%03o' $((v & 255)))"
        v=$((v >> 8)) n=$((n - 1))
    done
    printf "$s"
}
wav() {
    bytes=176400
    {
        printf 'RIFF'; le $((36 + bytes)) 4; printf 'WAVEfmt '; le 16 4; le 1 2; le 2 2
        le 44100 4; le 176400 4; le 4 2; le 16 2; printf 'data'; le $bytes 4
        head -c $bytes /dev/urandom
    } >"$1"
}
for name in one.wav "two words.wav" "l'été.wav" LOUD.WAV; do
    wav "$music/$name"
done
[ "$(id -u)" -ne 0 ] || chown "$user" "$music"/*
printf '%s\n' "$music/one.wav" "$music/two words.wav" "$music/l'été.wav" "$music/LOUD.WAV" \
    >"$tmp/expected"

# ---- The installed program, through its launcher --------------------------------------------
rc=0
as_user env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u DBUS_SESSION_BUS_ADDRESS \
    HOME="$home" XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=offscreen \
    LSAN_OPTIONS="suppressions=$tmp/lsan.supp:print_suppressions=0" \
    timeout 120 "$prefix/bin/quenzal" --encode "$music/one.wav" "$music/two words.wav" \
    "$music/l'été.wav" "$music/LOUD.WAV" >"$tmp/out" 2>"$tmp/err" || rc=$?
if [ "$rc" -ne 0 ]; then
    tail -n 40 "$tmp/err" >&2
    [ "$rc" -ne 124 ] || fail "Quenzal did not end within 120 s"
    fail "Quenzal --encode ended with exit code $rc"
fi
diff "$tmp/expected" "$tmp/out" >&2 ||
    fail "Quenzal did not list exactly the files it was given"
for name in one "two words" "l'été" LOUD; do
    mp3=$music/Mp3/$name.mp3
    [ -s "$mp3" ] || fail "$mp3 was not written"
    case $(od -An -tx1 -N2 "$mp3" | tr -d ' \n') in
    ff[ef]?) ;;
    *) fail "$mp3 does not start with an MPEG audio frame" ;;
    esac
done
[ -f "$home/.local/share/Orvanel/Quenzal/Quenzal.sh" ] ||
    fail "the conversion script is not in the user's data folder"
[ ! -e "$program/Quenzal.sh" ] || fail "a script was written into the program folder"

echo "smoke_install: passed in $(($(date +%s) - started)) s (installed, listed, encoded as $(as_user id -un))"
