# shellcheck shell=bash disable=SC2034  # the variables are for the scripts that source this
# Where a per-user install of ZIQ2 puts its files; sourced by install.sh, uninstall.sh and
# autostart.sh so the three always agree.

# The XDG base folders count only when absolute; otherwise the standard defaults apply.
ziq2_xdg_dir() {
    case "${1:-}" in
    /*) printf '%s' "$1" ;;
    *) printf '%s' "$2" ;;
    esac
}

ZIQ2_LIB="$HOME/.local/lib/ziq2"
ZIQ2_BIN_DIR="$HOME/.local/bin"
ZIQ2_LAUNCHER="$ZIQ2_BIN_DIR/ziq2"
ZIQ2_HISTORY_LAUNCHER="$ZIQ2_BIN_DIR/ziq2-history"
ZIQ2_DATA_HOME=$(ziq2_xdg_dir "${XDG_DATA_HOME:-}" "$HOME/.local/share")
ZIQ2_CONFIG_HOME=$(ziq2_xdg_dir "${XDG_CONFIG_HOME:-}" "$HOME/.config")
ZIQ2_APPS_DIR="$ZIQ2_DATA_HOME/applications"
ZIQ2_APP_ENTRY="$ZIQ2_APPS_DIR/ziq2.desktop"
ZIQ2_ICONS="$ZIQ2_DATA_HOME/icons/hicolor"
ZIQ2_ICON_32="$ZIQ2_ICONS/32x32/apps/ziq2.png"
ZIQ2_ICON_256="$ZIQ2_ICONS/256x256/apps/ziq2.png"
ZIQ2_AUTOSTART_DIR="$ZIQ2_CONFIG_HOME/autostart"
ZIQ2_AUTOSTART_ENTRY="$ZIQ2_AUTOSTART_DIR/ziq2.desktop"

# Desktop entries cannot carry every path: refuse the few that would break them.
check_user_paths() {
    case "${HOME:-}" in
    /*) ;;
    *)
        echo "${0##*/}: HOME must name your home folder" >&2
        return 1
        ;;
    esac
    local path
    for path in "$ZIQ2_LIB" "$ZIQ2_DATA_HOME" "$ZIQ2_CONFIG_HOME"; do
        if [[ "$path" == *[[:cntrl:]]* ]]; then
            echo "${0##*/}: $path holds a control character; desktop entries cannot name it" >&2
            return 1
        fi
    done
    # WORKAROUND: GLib-based desktops check an Exec program before expanding "%%", so they
    # cannot start a program whose path holds a "%" from the menu.
    if [[ "$ZIQ2_LIB" == *%* ]]; then
        echo "${0##*/}: $ZIQ2_LIB holds a \"%\"; desktop menus cannot start a program there" >&2
        return 1
    fi
}

# A value of type string in a desktop entry: a backslash is written twice.
desktop_string() {
    printf '%s' "${1//\\/\\\\}"
}

# One argument of an Exec key: quoted, with the characters that are special inside quotes
# escaped, "%" doubled (it starts field codes), then escaped once more as a string value.
desktop_exec_quote() {
    local s=$1
    s=${s//\\/\\\\}
    s=${s//\"/\\\"}
    s=${s//\`/\\\`}
    s=${s//\$/\\\$}
    s=${s//%/%%}
    desktop_string "\"$s\""
}

# True when the launcher is the link an install of ZIQ2 made.
is_our_launcher() {
    [ -L "$ZIQ2_LAUNCHER" ] && [ "$(readlink -- "$ZIQ2_LAUNCHER")" = "$ZIQ2_LIB/ZIQ2" ]
}

is_our_history_launcher() {
    [ -L "$ZIQ2_HISTORY_LAUNCHER" ] &&
        [ "$(readlink -- "$ZIQ2_HISTORY_LAUNCHER")" = "$ZIQ2_LIB/ziq2-history" ]
}

# The ids of running copies of the installed program; false when there are none.
running_pids() {
    local exe found=1 proc
    for proc in /proc/[0-9]*; do
        exe=$(readlink -- "$proc/exe" 2>/dev/null) || continue
        if [ "$exe" = "$ZIQ2_LIB/ZIQ2" ] || [ "$exe" = "$ZIQ2_LIB/ZIQ2 (deleted)" ]; then
            echo "${proc#/proc/}"
            found=0
        fi
    done
    return $found
}
