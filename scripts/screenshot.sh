#!/bin/sh
# Starts the real program under a virtual X server and writes a PNG of its window.
#   scripts/screenshot.sh [program] [output.png]
#   TABRIVEL_SCREENSHOT_THEME=dark scripts/screenshot.sh [program] [output.png]
# The program's settings go to a throw-away home folder, so the user's own are untouched.
# The dark picture shows the window under qt6ct's "darker" colour scheme, a common dark
# desktop setting (Debian package qt6ct), configured in that throw-away home as well.
set -eu

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
PROGRAM="${1:-$ROOT/build/release/bin/tabrivel}"
OUTPUT="${2:-$ROOT/build/tabrivel-window.png}"

if [ ! -x "$PROGRAM" ]; then
    echo "No program at $PROGRAM; build it first (make release)." >&2
    exit 1
fi

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT INT TERM

cat >"$WORK/capture.sh" <<'INNER'
#!/bin/sh
set -eu
"$PROGRAM" &
pid=$!
# Wait for the window to be mapped (xwininfo, from x11-utils, when it is installed),
# then give it a moment to paint.
if command -v xwininfo >/dev/null 2>&1; then
    tries=0
    while ! xwininfo -root -tree 2>/dev/null | grep -q '"Tabrivel"'; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ]; then
            kill "$pid" 2>/dev/null || true
            echo "The window did not appear." >&2
            exit 1
        fi
        sleep 0.1
    done
    sleep 1
    window="$(xwininfo -root -tree | grep '"Tabrivel"' | head -n 1 | awk '{print $1}')"
    import -window "$window" "$OUTPUT"
else
    # No window manager runs here, so the centred window has no frame: cut it out.
    sleep 3
    import -window root -crop 1064x408+108+196 +repage "$OUTPUT"
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER
chmod +x "$WORK/capture.sh"

mkdir -p "$WORK/home/.config" "$(dirname "$OUTPUT")"
case "${TABRIVEL_SCREENSHOT_THEME:-light}" in
light)
    ;;
dark)
    SCHEME=/usr/share/qt6ct/colors/darker.conf
    if [ ! -f "$SCHEME" ]; then
        echo "The dark picture needs qt6ct (apt-get install qt6ct)." >&2
        exit 1
    fi
    mkdir -p "$WORK/home/.config/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' \
        "$SCHEME" >"$WORK/home/.config/qt6ct/qt6ct.conf"
    export QT_QPA_PLATFORMTHEME=qt6ct
    ;;
*)
    echo "TABRIVEL_SCREENSHOT_THEME is light or dark." >&2
    exit 1
    ;;
esac
HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" PROGRAM="$PROGRAM" OUTPUT="$OUTPUT" \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" "$WORK/capture.sh"
echo "Wrote $OUTPUT"
