# The screen density of a Linux script's display, and the layout tables'
# 96-dpi pixels turned into that display's, rounded as the window module
# rounds them. Sourced after common.sh (and pixels.sh, for the face colour).
#
#   PIVORA_E2E_DPI  the Xft.dpi the display announces, as a desktop set to
#                   that scaling does (default 96: none is announced, and the
#                   window module takes 96); ctest runs the scripts at 96 and 192
#
# The screenshots a script takes for a person to look at are kept under the
# build directory, one folder a script and density (SHOTS overrides it).
DPI=${PIVORA_E2E_DPI:-96}
case $DPI in
    '' | *[!0-9]*) echo "PIVORA_E2E_DPI must be a whole number of dots per inch, not '$DPI'" >&2; exit 2 ;;
esac
LINE=$((DPI / 96))   # the width of a bevel's line
if [ -z "${SHOTS:-}" ]; then
    # A run's own pictures only: those of the run before are gone.
    SHOTS=$BUILD_DIR/e2e-shots/$(basename "$0" .sh)-${DPI}dpi
    rm -rf "$SHOTS"
fi
mkdir -p "$SHOTS" || { echo "no folder for the screenshots: $SHOTS" >&2; exit 1; }

# px N: a coordinate or length of the tables (N >= 0) on this display.
px() { echo $(((2 * $1 * DPI + 96) / 192)); }
# region X Y W H: a rectangle of the tables as an ImageMagick geometry on
# this display; its edges are scaled, as the window module scales them.
region() {
    local x0 y0
    x0=$(px "$1") y0=$(px "$2")
    echo "$(($(px $(($1 + $3))) - x0))x$(($(px $(($2 + $4))) - y0))+$x0+$y0"
}

# announce_dpi: the display's resources say Xft.dpi, as the desktop's
# settings daemon writes them; the launcher reads them when it opens the display.
announce_dpi() {
    [ "$DPI" -eq 96 ] && return 0
    xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$DPI"$'\n'
}

# stray_pixels IMAGE AREA BOX...: how many pixels of AREA (a rectangle of the
# tables, "X Y W H") in a window's screenshot are not the face grey outside
# every BOX (likewise): what a control drew beyond its own rectangle.
stray_pixels() {
    local image=$1 area=($2) box draw=()
    shift 2
    for box in "$@"; do
        local b=($box) x0 y0 x1 y1
        x0=$(($(px "${b[0]}") - $(px "${area[0]}"))) y0=$(($(px "${b[1]}") - $(px "${area[1]}")))
        x1=$(($(px $((b[0] + b[2]))) - $(px "${area[0]}") - 1)) y1=$(($(px $((b[1] + b[3]))) - $(px "${area[1]}") - 1))
        draw+=(-draw "rectangle $x0,$y0 $x1,$y1")
    done
    convert "$image" -crop "$(region "${area[@]}")" +repage -fill '#C0C0C0' "${draw[@]}" \
        -fill black +opaque '#C0C0C0' -fill white -opaque '#C0C0C0' -format '%[fx:round((1-mean)*w*h)]' info:
}
