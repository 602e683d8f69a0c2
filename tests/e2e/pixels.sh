# Reading a screenshot where the texts cannot be read: how many pixels of a
# region are of one kind. Needs ImageMagick.
#   pixels IMAGE GEOMETRY purple|dark
# purple: the About box's product name colour; dark: black text on the face.
pixels() {
    local select
    case $3 in
        purple) select=(-fuzz 12% -fill white -opaque '#800080' -fill black +opaque white) ;;
        dark) select=(-colorspace Gray -threshold 40% -negate) ;;
    esac
    convert "$1" -crop "$2" +repage "${select[@]}" -format '%[fx:round(mean*w*h)]' info:
}

# The About box's regions, in its client area: Panel1 at 8,8 and the labels in it.
ABOUT_PRODUCT=409x65+16+24
ABOUT_VERSION=409x10+16+95
ABOUT_COPYRIGHT=409x14+16+118
