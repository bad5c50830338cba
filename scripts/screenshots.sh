#!/bin/sh
# Takes the pictures of docs/user-guide.md: each CellDesk window against the demo meter, on a
# virtual 1280x1024 screen of its own (Xvfb), opened as a user opens it: by its keyboard
# shortcut where it has one, else by a click on its button. Rerun it after a change to a
# window; it overwrites the pictures. It takes about three minutes (the memory download is
# paced as on the real line).
#
#   scripts/screenshots.sh [build folder] [picture folder]     (defaults: build docs/images)
#
# Needs xvfb, xdotool and imagemagick, and `cmake --build build --target celldesk`. The
# user's own settings are neither read nor changed: the program runs with a settings folder of
# its own, so that every run starts from the same windows. SCREENSHOTS_DISPLAY picks the
# virtual screen's number (default :97).
set -eu

build=$(cd "${1:-build}" && pwd)
out=${2:-docs/images}
program="$build/src/app/celldesk"
screen=${SCREENSHOTS_DISPLAY:-:97}

for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "screenshots.sh needs $tool"; exit 1; }
done
[ -x "$program" ] || { echo "no $program: build it first"; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
recording="$work/battery-7.txt"
xvfb_pid=""
app_pid=""
finish() {
    [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 1' INT TERM

Xvfb "$screen" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$screen"
for _ in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.2
done

# Started in the scratch folder, which the first file dialog shows.
(cd "$work" && XDG_CONFIG_HOME="$work" QT_QPA_PLATFORM=xcb exec "$program" --demo \
    >"$work/celldesk.log" 2>&1) &
app_pid=$!

fail() {
    echo "screenshots.sh: $*" >&2
    kill "$$"
}

# The newest visible window whose title matches the pattern (an extended regular expression)
# and that is none of the windows given after it; waited for up to 60 s.
window() {
    pattern=$1
    shift
    for _ in $(seq 300); do
        for id in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | sort -rn); do
            case " $* " in *" $id "*) continue ;; esac
            echo "$id"
            return 0
        done
        sleep 0.2
    done
    fail "no window \"$pattern\" appeared"
}

# Gives the window the keyboard and types the keys into it (xdotool key names).
keys() {
    id=$1
    shift
    xdotool windowraise "$id" windowfocus --sync "$id"
    sleep 0.3
    xdotool key --clearmodifiers "$@"
}

# A click of the mouse button ($4, default the left one) at a point of the window, in pixels
# from its left and top edge, or from its right and bottom edge when negative.
click() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    x=$2
    y=$3
    [ "$x" -ge 0 ] || x=$((WIDTH + x))
    [ "$y" -ge 0 ] || y=$((HEIGHT + y))
    xdotool windowraise "$1"
    sleep 0.3
    xdotool mousemove --window "$1" "$x" "$y" click "${4:-1}"
}

# The window raised above the others and pictured as it is after ($3, default 1) seconds.
shot() {
    xdotool windowraise "$1"
    sleep "${3:-1}"
    import -window "$1" "$out/$2.png"
    echo "$out/$2.png"
}

port=$(window '^COM Port$')
shot "$port" port-dialog
keys "$port" Return

panel=$(window '^Panel')
shot "$panel" panel 3
# Tab to MODE: the keys take the focus and show it.
keys "$panel" Tab Tab Tab Tab Tab
shot "$panel" panel-focus

# The panel's menu and About.
click "$panel" 150 150 3
sleep 1
eval "$(xdotool getwindowgeometry --shell "$panel")"
import -window root -crop "$((WIDTH + 220))x${HEIGHT}+${X}+${Y}" +repage "$out/panel-menu.png"
echo "$out/panel-menu.png"
xdotool key Down Down Down Return
about=$(window '^About CellDesk$')
shot "$about" about
keys "$about" Return

keys "$panel" F1
help=$(window '^CellDesk Help$')
shot "$help" help
keys "$help" Escape

# Record into a file for the lists and the file list below; the dialog offers a dated name.
keys "$panel" ctrl+s
save=$(window '^Save As$')
shot "$save" save-dialog
keys "$save" ctrl+a
xdotool type --delay 20 "$recording"
xdotool key Return

keys "$panel" ctrl+l
shot "$(window '^Real Time List$')" real-time-list 8

# The Sampling Rate button, fifth on the toolbar.
click "$panel" 152 18
sampling=$(window '^Sampling Rate$')
shot "$sampling" sampling
keys "$sampling" Escape

# The live graph of voltage, current and temperature, and a detail graph from a click on it.
keys "$panel" ctrl+g
graph_dialog=$(window '^Graph$')
keys "$graph_dialog" space Tab Tab Tab space Tab Tab Tab space
shot "$graph_dialog" graph-dialog
keys "$graph_dialog" Return
live=$(window '^Real Time Graph$')
shot "$live" live-graph 8
click "$live" 450 300
detail_dialog=$(window '^Graph Detail$')
shot "$detail_dialog" graph-detail-dialog
keys "$detail_dialog" Return
detail=$(window '^Real Time Graph$' "$live")
shot "$detail" detail-graph
keys "$detail" Escape
keys "$live" Escape

keys "$panel" ctrl+t
clock=$(window '^Setup$')
# A click on "Meter Time" reads the meter's clock.
click "$clock" 167 58
shot "$clock" clock 3
keys "$clock" Escape

keys "$panel" ctrl+k
shot "$(window '^Comparator$')" comparator 3

# The meter's memory: 64 KiB take about 35 s on the line.
keys "$panel" ctrl+m
logger=$(window '^Data Logger$')
shot "$logger" data-logger 45
# The first set of the list, then its plot and the plot's range.
click "$logger" 60 40
data_list=$(window '^Data List$')
shot "$data_list" data-list 2
click "$data_list" 86 19
list_plot=$(window '^Plot Data/File')
shot "$list_plot" list-plot 2
click "$list_plot" 18 17
shot "$(window '^Plot Range')" plot-range
# Read Manual, at the foot of the right-hand column.
click "$logger" -59 -80
shot "$(window '^Manual List$')" manual-list 2

# Stop the recording and open its file; a click on the V column's title plots it.
keys "$panel" ctrl+s
keys "$panel" ctrl+o
open=$(window '^Open$')
keys "$open" ctrl+a
xdotool type --delay 20 "$recording"
xdotool key Return
files=$(window "^$(basename "$recording")\$")
shot "$files" file-list 3
click "$files" 140 48
shot "$(window '^Plot$')" plot 2

# Cell grading against the demo meter's tray (which replaces its battery from here on):
# limits typed, then about 24 cells graded hands off, then a plan of 3 groups of 4.
keys "$panel" ctrl+shift+g
grading=$(window '^Cell Grading')
click "$grading" 145 256
xdotool type --delay 20 "3.6"
xdotool key Tab
xdotool type --delay 20 "4.2"
xdotool key Tab
xdotool type --delay 20 "55"
xdotool key Tab Tab Tab
xdotool type --delay 20 "48"
xdotool key Tab
sleep 85
click "$grading" 705 609
xdotool key ctrl+a
xdotool type "3"
xdotool key Tab ctrl+a
xdotool type "4"
click "$grading" 808 637
shot "$grading" cell-grading 2
keys "$grading" Escape

keys "$panel" ctrl+q
