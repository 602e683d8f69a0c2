#!/usr/bin/env bash
# The include graph runs one way: the entry, then the windows, then the
# launcher's logic, then the backends, then the file formats, then the
# interfaces they all meet at. A folder includes only folders below it, and
# nothing of the product includes the tests. Prints every include that breaks
# this and fails if there is one.
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

rank() {  # a folder's place in the order; the higher may include the lower
    case "$1" in
        platform/interface) echo 0 ;;
        platform/formats) echo 1 ;;
        platform/headless | resources) echo 2 ;;
        platform/posix | platform/win32 | platform/fltk) echo 3 ;;
        launcher) echo 4 ;;
        dialogs) echo 5 ;;
        .) echo 6 ;;
        tests | bench) echo 7 ;;
        *) echo "" ;;
    esac
}
folder() {  # the folder a file belongs to, as rank() names it
    local p=$1
    case "$p" in
        platform/*/*) p=${p#platform/}; echo "platform/${p%%/*}" ;;
        */*) echo "${p%%/*}" ;;
        *) echo . ;;
    esac
}

bad=0 seen=0
while IFS= read -r file; do
    from=$(folder "$file")
    while IFS= read -r inc; do
        [ -n "$inc" ] || continue
        case "$inc" in */*) target=$inc ;; *) target=$(dirname "$file")/$inc ;; esac
        target=${target#./}
        [ -e "$target" ] || continue  # a system or generated header
        to=$(folder "$target")
        [ "$from" = "$to" ] && continue
        seen=$((seen + 1))
        rf=$(rank "$from") rt=$(rank "$to")
        if [ -z "$rf" ] || [ -z "$rt" ]; then
            echo "$file: includes $inc, and the order does not place '$from' or '$to'"; bad=1
        elif [ "$rt" -ge "$rf" ]; then
            echo "$file: includes $inc ('$from' may not depend on '$to')"; bad=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.h' '*.hpp' '*.c' '*.cpp' 2>/dev/null ||
         find . -path './build*' -prune -o -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' \) -print |
         sed 's#^\./##')

# A check that looked at nothing proves nothing.
[ "$seen" -gt 0 ] || { echo "no include between folders found: is $root the project?"; exit 1; }
[ "$bad" = 0 ] && echo "$seen includes between folders, all one way"
exit "$bad"
