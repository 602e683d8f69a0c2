# Reading a screenshot where the texts cannot be read: how many pixels of a
# region are of one kind, and the colour of one pixel. Needs ImageMagick.
require import convert compare

#   pixels IMAGE GEOMETRY purple|dark|cue
# purple: the About box's product name colour; dark: black text on the face;
# cue: the grey of an empty edit's cue.
pixels() {
    local select
    case $3 in
        purple) select=(-fuzz 12% -fill white -opaque '#800080' -fill black +opaque white) ;;
        dark) select=(-colorspace Gray -threshold 40% -negate) ;;
        cue) select=(-fuzz 6% -fill red -opaque '#6D6D6D' -fill black +opaque red -fill white -opaque red) ;;
    esac
    convert "$1" -crop "$2" +repage "${select[@]}" -format '%[fx:round(mean*w*h)]' info:
}

# The About box's regions, in its client area: Panel1 at 8,8 and the labels in it.
ABOUT_PRODUCT=409x65+16+24
ABOUT_VERSION=409x10+16+95
ABOUT_COPYRIGHT=409x14+16+118

pixel() {  # pixel IMAGE X Y: the colour there, as #RRGGBB
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1
}

# drawn_shot WINDOW IMAGE: a screenshot of WINDOW once it is drawn. The
# windows are double-buffered: until drawn a window shows what was on the
# screen beneath it, then its whole picture at once. Where the screen beneath
# was bare (black), the face grey at client 2,2, which no control covers, is
# the sign that it is drawn.
drawn_shot() { [ -n "$1" ] && eventually shows_face "$@"; }  # import without a window waits for a click
shows_face() { import -window "$1" "$2" 2>/dev/null && [ "$(pixel "$2" 2 2)" = "#C0C0C0" ]; }
