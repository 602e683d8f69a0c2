#!/usr/bin/env bash
# Writes the Linux screenshots of the README, docs/screenshots/linux-WINDOW-DPIdpi.png:
# every window of the launcher at 96 and at 192 dpi, shown by the window
# module through its test harness on an Xvfb of this script's own, whose
# resources announce the density as a desktop's do (Xft.dpi).
#
#   tools/make-screenshots.sh [BUILD_DIR]    # default build/, built first
#
# Needs what the end-to-end scripts need (Xvfb, xdotool, xwininfo, xprop,
# ImageMagick); tools/install-deps.sh installs them.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=$(cd "${1:-$ROOT/build}" && pwd)
cmake --build "$BUILD_DIR" --target pivora pivora_fltk pivora_fltk_harness -j2 > /dev/null
OUT=$ROOT/docs/screenshots
mkdir -p "$OUT"

set +eu   # the end-to-end library counts its failures itself
RUNNER=native
. "$ROOT/tests/e2e/common.sh"
. "$ROOT/tests/e2e/pixels.sh"
require xdotool xwininfo xprop
HARNESS=$BUILD_DIR/tests/fltk/pivora_fltk_harness
MODULE=$BUILD_DIR/pivora-fltk.so

# shoot NAME SCENARIO TITLE KEY...: runs the harness's SCENARIO, keeps a
# picture of its window TITLE once drawn as linux-NAME-DPIdpi.png, and closes
# it with the KEYs (menus waited for, as the tests do).
shoot() {
    local name=$1 scenario=$2 title=$3 w file
    shift 3
    file="$OUT/linux-$name-${DPI}dpi.png"
    "$HARNESS" "$MODULE" "$scenario" "/opt/borland/delphi3/bin/delphi32.exe" > "$T/out" 2>&1 &
    PID=$!
    BACKGROUND+=("$PID")
    w=$(wait_window "$title") || { fail "$name: no window \"$title\": $(cat "$T/out")"; return; }
    check "$name at $DPI dpi is drawn" drawn_shot "$w" "$T/shot.png" || return
    # Without the metadata of the moment, a picture of the same pixels is the same file.
    convert "$T/shot.png" -strip -define png:exclude-chunks=date,time "$file"
    if [ $# -gt 1 ]; then menu "$w" "$@"; else focus "$w" && xdotool key "$1"; fi
    check "$name at $DPI dpi closes" wait_exit "$PID"
}

start_xvfb
for DPI in 96 192; do
    xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$DPI"$'\n'
    shoot main main "Pivora" alt+f x
    shoot select select "起動バージョン選択" Escape
    shoot registration reg "Ｄｅｌｐｈｉ登録" Escape
    shoot about about "ﾊﾞｰｼﾞｮﾝ情報" Return
    shoot message yesno "警告" Return
    shoot input input "起動履歴登録数" Escape
done
finish && echo "written to $OUT"
