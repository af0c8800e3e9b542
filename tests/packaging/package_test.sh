#!/usr/bin/env bash
# Makes the Debian package from a build folder, checks what it holds, unpacks
# it into a folder the user cannot write to and runs the programs from there
# with a fresh home: the editor makes the user's own folder, an Apply writes
# Preferences.ini into it, and velmora-export draws with those settings.
# Usage: package_test.sh BUILD_FOLDER VERSION     (exit 77: skipped)
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2

for tool in dpkg-deb dpkg cpack; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed, so the Debian package cannot be made and tested here"
        exit 77
    fi
done

fail() { echo "FAILED: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
chmod 755 "$work"

# --- the package -----------------------------------------------------------
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not make the package"; }
deb="$work/out/velmora_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out"; fail "no $(basename "$deb")"; }

# Paths without the columns before them; links keep their " -> target".
dpkg-deb -c "$deb" | sed -E 's/^([^ ]+ +){5}//' >"$work/list"
for entry in \
    "./usr/bin/velmora -> ../lib/velmora/Velmora" \
    "./usr/bin/velmora-export -> ../lib/velmora/velmora-export" \
    ./usr/lib/velmora/Velmora ./usr/lib/velmora/velmora-export ./usr/lib/velmora/Preferences.ini \
    ./usr/lib/velmora/Images/surface.png ./usr/lib/velmora/Images/start.png ./usr/lib/velmora/Images/marker.png \
    ./usr/lib/velmora/Tracks/Example.trk "./usr/lib/velmora/Help/Velmora Help.pdf" \
    ./usr/share/applications/velmora.desktop ./usr/share/icons/hicolor/scalable/apps/velmora.svg \
    ./usr/share/doc/velmora/copyright ./usr/share/doc/velmora/changelog.gz \
    ./usr/share/man/man1/velmora.1.gz ./usr/share/man/man1/velmora-export.1.gz; do
    grep -qxF "$entry" "$work/list" || { cat "$work/list"; fail "the package lacks $entry"; }
done
if grep -v '^\./usr/' "$work/list" | grep -vqx '\./'; then fail "files outside /usr"; fi
if grep -q '/\.[^/]*$' "$work/list"; then fail "hidden files in the package"; fi
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "section is not graphics"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
    fail "dependencies were not read off the programs: $(dpkg-deb -f "$deb" Depends)"

# --- unpacked, read-only, with a fresh home ----------------------------------
root="$work/root"
home="$work/home"
dpkg-deb -x "$deb" "$root"
mkdir -p "$home/runtime" "$home/out"
chmod 700 "$home/runtime"
lib="$root/usr/lib/velmora"
# Root may write anywhere, so as root the programs run as nobody.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    chown -R nobody:nogroup "$home"
fi
chmod -R a-w "$root"

run() {  # run NAME PROGRAM ARGS...: stderr into $work/NAME.err; RUN_HOME: another home
    local name=$1 code=0 at=${RUN_HOME:-$home}; shift
    (cd "$at" && env HOME="$at" XDG_DATA_HOME="${DATA_HOME:-$at/data}" XDG_RUNTIME_DIR="$at/runtime" \
        VELMORA_TEST_BOX_TO_STDERR=1 QT_QPA_PLATFORM=offscreen \
        timeout 30 "${as_user[@]}" "$@") 2>"$work/$name.err" || code=$?
    [ "$code" -eq 0 ] || { cat "$work/$name.err"; fail "$name ended with exit code $code"; }
}
boxes() { grep -E '^(Missing|Error|Fatal Error)\|' "$work/$1.err" || true; }

# First start: the user's folder appears with the example track and the
# shipped settings, and Apply writes there without a box.
user="$home/data/velmora"
VELMORA_TEST_APPLY_AND_QUIT=1 run first "$root/usr/bin/velmora"
[ -z "$(boxes first)" ] || fail "boxes at the first start: $(boxes first)"
cmp "$lib/Tracks/Example.trk" "$user/Tracks/Example.trk" || fail "no example track in $user/Tracks"
cmp "$lib/Preferences.ini" "$user/Preferences.ini" || fail "no default Preferences.ini in $user"
[ ! -e "$lib/../Preferences.ini" ] && [ ! -e "$user.partial" ] || fail "stray files"

# The folder is the user's from then on: a settings file deleted there is
# really missing, and Apply writes it back.
rm "$user/Preferences.ini"
VELMORA_TEST_APPLY_AND_QUIT=1 run again "$root/usr/bin/velmora"
[ "$(boxes again)" = "Missing|The Preferences file is missing" ] || fail "boxes: $(boxes again)"
cmp "$lib/Preferences.ini" "$user/Preferences.ini" || fail "Apply did not write $user/Preferences.ini"

# velmora-export reads the user's settings and the program's images.
sed -i 's/^CanvasWidth = .*/CanvasWidth = 320/; s/^CanvasHeight = .*/CanvasHeight = 200/' "$user/Preferences.ini"
run export "$root/usr/bin/velmora-export" --png --out-dir "$home/out" "$lib/Tracks/Example.trk"
png="$home/out/Example.png"
[ "$(od -An -tx1 -N8 "$png" | tr -d ' ')" = 89504e470d0a1a0a ] || fail "velmora-export wrote no PNG"
[ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')" = " 0 0 1 64 0 0 0 200" ] ||
    fail "the picture was not drawn with the user's settings (320 x 200)"

# The Python module is installed for the system's Python and, like the
# velmora-export beside the programs, draws with the user's settings and the
# program's images.
module=$(grep -xE '\./usr/lib/python3/dist-packages/velmora\.cpython-[^/]*\.so' "$work/list" || true)
[ -n "$module" ] || fail "the package lacks the Python module in /usr/lib/python3/dist-packages"
if /usr/bin/python3 -c "import numpy" 2>/dev/null; then
    # VELMORA_PYTHON_ENV: what a sanitized build's module needs of the
    # interpreter's environment (its run-time libraries preloaded).
    read -ra python_env <<<"${VELMORA_PYTHON_ENV:-}"
    PYTHONPATH="$root/usr/lib/python3/dist-packages" run python env "${python_env[@]}" /usr/bin/python3 -c \
        "import velmora; assert velmora.load('$lib/Tracks/Example.trk').picture().shape == (200, 320, 3)"
else
    echo "note: no NumPy for /usr/bin/python3 here, so the module was not run"
fi

# A user folder that cannot be made is named in a box; the program still
# starts (on the defaults) and ends normally.
DATA_HOME="$lib/Images" VELMORA_TEST_APPLY_AND_QUIT=1 run blocked "$root/usr/bin/velmora"
grep -qF "Error|could not create folder: $lib/Images/velmora (Permission denied)" "$work/blocked.err" ||
    { cat "$work/blocked.err"; fail "no box naming the user folder"; }

# --- as root -----------------------------------------------------------------
# Root may write to the program's folder (as under /usr in a container or
# with sudo), yet the packaged programs keep the user's files in root's own
# folder: nothing in the unpacked package changes. Without root rights a user
# namespace, where the files' owner is root, stands in.
as_user=()
if [ "$(id -u)" -ne 0 ]; then
    as_user=(unshare --user --map-root-user)
    "${as_user[@]}" true 2>/dev/null || as_user=()
fi
if [ "$(id -u)" -eq 0 ] || [ ${#as_user[@]} -gt 0 ]; then
    roothome="$work/roothome"
    mkdir -p "$roothome/out" "$roothome/runtime"
    chmod 700 "$roothome/runtime"
    listing() { find "$root" -printf '%M %s %T@ %p\n' | sort; }
    listing >"$work/before"
    RUN_HOME="$roothome" VELMORA_TEST_APPLY_AND_QUIT=1 run root "$root/usr/bin/velmora"
    [ -z "$(boxes root)" ] || fail "boxes at root's first start: $(boxes root)"
    cmp "$lib/Preferences.ini" "$roothome/data/velmora/Preferences.ini" ||
        fail "run as root, Apply did not write the user's Preferences.ini"
    sed -i 's/^CanvasWidth = .*/CanvasWidth = 320/; s/^CanvasHeight = .*/CanvasHeight = 200/' \
        "$roothome/data/velmora/Preferences.ini"
    RUN_HOME="$roothome" run root-export "$root/usr/bin/velmora-export" --png --out-dir "$roothome/out" \
        "$lib/Tracks/Example.trk"
    [ "$(od -An -tu1 -j16 -N8 "$roothome/out/Example.png" | tr -s ' ')" = " 0 0 1 64 0 0 0 200" ] ||
        fail "run as root, velmora-export did not read the user's settings"
    listing | diff "$work/before" - || fail "run as root, the programs changed files of the package"
else
    echo "note: no root rights and no user namespace here, so the run as root was left out"
fi

echo "package $(basename "$deb") tested"
