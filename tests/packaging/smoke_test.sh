#!/usr/bin/env bash
# Installs the build into a fresh prefix and starts the installed program the way a user meets it:
# under a virtual X server, from another folder, with an empty home. Checks by the pixels of a
# screen dump that the globe (textured), the central line and the shadow circle are drawn, then
# ends the program with SIGTERM and checks that the settings record was written and that no
# temporary file was left behind.
#   smoke_test.sh <build folder> <xwd_check> [prefix to reuse]
set -euo pipefail
build=$1
check=$2
work=$(mktemp -d)
xserver=
# The X server is ended and waited for before its folder goes, so that no test after this one
# meets a display that is still shutting down.
cleanup() {
    if [ -n "$xserver" ]; then
        kill "$xserver" 2>/dev/null || true
        wait "$xserver" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=${3:-$work/prefix}
if [ -z "${3:-}" ]; then
    cmake --install "$build" --prefix "$prefix" >/dev/null
fi
[ -x "$prefix/bin/zimbalo" ] || fail "bin/zimbalo is not installed"
mkdir -p "$work/home" "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"

# Runs inside the X server: start, wait for the main window, let it draw, dump the screen, end.
cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
work=$1
title=$3  # what the title of the awaited window starts with
"$2/bin/zimbalo" >"$work/out.txt" 2>&1 &
pid=$!
shown=0
for _ in $(seq 1 120); do  # up to 60 s: a sanitizer build starts slowly
    if xwininfo -root -tree 2>/dev/null | grep -q "\"$title"; then
        shown=1
        break
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
done
[ "$shown" = 1 ] && sleep 3  # the globe is drawn after the window appears
xwd -root -silent >"$work/screen.xwd" || true
kill -TERM "$pid" 2>/dev/null
# A program that does not end within 30 s of SIGTERM is killed and reported.
for _ in $(seq 1 60); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
done
if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    wait "$pid"
    echo "still running 30 s after SIGTERM" >"$work/status.txt"
else
    wait "$pid"
    echo "$?" >"$work/status.txt"
fi
[ "$shown" = 1 ] || { echo "the main window did not appear"; exit 1; }
SESSION
chmod +x "$work/session.sh"

cd /
# One virtual X server serves both sessions. It picks a free display itself (-displayfd) and says
# its number once it accepts connections: choosing a number beforehand raced with other servers
# starting or ending at the same time.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.txt" &
xserver=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xserver" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.txt"; fail "the virtual X server did not start"; }
display=":$(tr -d '[:space:]' <"$work/display")"
session() {
    env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
        XDG_DATA_HOME="$work/home/.local/share" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp" \
        QT_QPA_PLATFORM=xcb DISPLAY="$display" XAUTHORITY=/dev/null "$work/session.sh" "$work" "$@"
}
session "$prefix" 'Zimbalo [0-9]' || { cat "$work/out.txt"; fail "the program did not show its window"; }

"$check" check "$work/screen.xwd" || { cat "$work/out.txt"; fail "the screen lacks what it should show"; }
status=$(cat "$work/status.txt")
[ "$status" = 0 ] || { cat "$work/out.txt"; fail "the program ended with status $status after SIGTERM"; }

settings="$work/home/.config/Zimbalo/Zimbalo.ini"
[ -f "$settings" ] || fail "no settings record written"
size=$(stat -c %s "$settings")
[ "$size" = 243 ] || fail "the settings record has $size bytes, not 243"
left=$(find "$work/tmp" -maxdepth 1 \( -name 'Temporary_*.tmp' -o -name 'Zimbalo_temp_*.txt' \) | head -5)
[ -z "$left" ] || fail "temporary files left: $left"

# A damaged texture is reported at start; SIGTERM while that message is up still ends the program.
if [ -z "${3:-}" ]; then
    : >"$prefix/share/zimbalo/BlueMarble_5.4x2.7k.jpg"
    rm -rf "$work/home" && mkdir -p "$work/home"
    session "$prefix" 'Zimbalo"' || { cat "$work/out.txt"; fail "no message about the damaged texture"; }
    status=$(cat "$work/status.txt")
    [ "$status" = 0 ] || fail "with the start-up message up, SIGTERM gave: $status"
fi
echo "smoke test passed"
