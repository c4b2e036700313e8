#!/usr/bin/env bash
# wine-session.sh [--depth 24|8] [--dpi N] [--prefix DIR] -- COMMAND [ARGS...]
#
# Runs COMMAND inside a private Wine session: its own Wine prefix (made on
# first use), its own Xvfb display at the chosen depth, and a fresh
# wineserver. Everything it started is stopped again on the way out, and it
# exits with COMMAND's status.
#
# --dpi N sets the display's DPI (HKCU\Control Panel\Desktop LogPixels,
# which the wineserver reads when it starts); without it a session runs at
# 96, also in a prefix an earlier session set otherwise.
#
# The prefix is a 64-bit one, as on nearly every Windows machine: 64-bit
# programs run there, and 32-bit ones under WOW64, with the registry split
# into the two views 64-bit Windows has. The prefix is made and set up by the
# 64-bit loader alone, so it is made on machines that cannot run 32-bit
# programs too.
set -euo pipefail
# shellcheck source=scripts/machine.sh
source "$(dirname "${BASH_SOURCE[0]}")/machine.sh"

me=wine-session

usage() {
    echo "usage: $0 [--depth 24|8] [--dpi N] [--prefix DIR] -- COMMAND [ARGS...]" >&2
    exit 2
}

die() {
    echo "$me: $*" >&2
    exit 1
}

# CI starts us with stdin closed. A closed fd 0 would be handed out by the
# next open() in Wine or Xvfb and confuse them, so fill any closed standard
# descriptor with /dev/null.
{ true <&0; } 2>/dev/null || exec </dev/null
{ true >&1; } 2>/dev/null || exec >/dev/null
{ true >&2; } 2>/dev/null || exec 2>/dev/null

depth=24
dpi=
prefix=$PWD/build/wine/prefix
while (($#)); do
    case $1 in
        --depth) (($# >= 2)) || usage; depth=$2; shift 2 ;;
        --depth=*) depth=${1#*=}; shift ;;
        --dpi) (($# >= 2)) || usage; dpi=$2; shift 2 ;;
        --dpi=*) dpi=${1#*=}; shift ;;
        --prefix) (($# >= 2)) || usage; prefix=$2; shift 2 ;;
        --prefix=*) prefix=${1#*=}; shift ;;
        --) shift; break ;;
        *) usage ;;
    esac
done
(($#)) || usage
case $depth in
    # 24 shows Windows 32 bits per pixel, 8 a palette display. Xvfb refuses
    # depths under 8, so those are left to winsim.
    8 | 15 | 16 | 24) ;;
    *) die "depth $depth is not one Xvfb offers (use 24 or 8)" ;;
esac

[[ -z $dpi || $dpi =~ ^[1-9][0-9]{1,2}$ ]] || die "--dpi $dpi is not a DPI from 10 to 999"

# Wine wants an absolute prefix path; a relative one would change meaning as
# soon as a Windows program changes its directory.
[[ $prefix == /* ]] || prefix=$PWD/$prefix
while [[ $prefix == */ && $prefix != / ]]; do prefix=${prefix%/}; done
parent=$(dirname "$prefix")
mkdir -p "$parent"

xvfb_pid=
cmd_pid=
# shellcheck disable=SC2317  # reached through the EXIT trap
cleanup() {
    local status=$?
    set +e
    # A signal may have cut the command short: stop it first, so the
    # wineserver is not restarted behind our back.
    if [[ -n $cmd_pid ]] && kill -0 "$cmd_pid" 2>/dev/null; then
        kill -TERM "$cmd_pid" 2>/dev/null
        wait "$cmd_pid" 2>/dev/null
    fi
    # -k kills every Wine process of the prefix; -w then waits until the
    # server is gone, so the next session starts from a clean state.
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
    WINEPREFIX=$prefix timeout 10 wineserver -w >/dev/null 2>&1
    if [[ -n $xvfb_pid ]]; then
        kill -TERM "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    exit "$status"
}
trap cleanup EXIT
# Make sure the cleanup also runs when ctest or a person interrupts us.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# One session per prefix at a time: a second one would kill the first one's
# wineserver (we restart it below), and two sessions must never create the
# same prefix at once. The lock is held until we exit.
exec {lock_fd}>"$prefix.lock"
if ! flock -n "$lock_fd"; then
    echo "$me: waiting for another session using $prefix" >&2
    flock "$lock_fd"
fi

# --- display ---------------------------------------------------------------
# Take the first free display from :90 up. Another session may grab the same
# number between our check and Xvfb's start; Xvfb then dies and we move on.
display=
xvfb_log=
for ((n = 90; n < 190; n++)); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    xvfb_log=$parent/xvfb-$n.log
    Xvfb ":$n" -screen 0 "1024x768x$depth" -nolisten tcp \
        </dev/null >"$xvfb_log" 2>&1 {lock_fd}>&- &
    xvfb_pid=$!
    # Wait up to 10 s for the server to answer.
    for ((try = 0; try < 100; try++)); do
        kill -0 "$xvfb_pid" 2>/dev/null || break
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then
            # Make sure it is our Xvfb that answered, not a racing one.
            kill -0 "$xvfb_pid" 2>/dev/null && display=:$n
            break
        fi
        sleep 0.1
    done
    [[ -n $display ]] && break
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
    # Losing the number to another server is fine, anything else is a fault.
    ((try < 100)) || die "Xvfb :$n did not answer within 10 s (see $xvfb_log)"
    [[ -e /tmp/.X$n-lock ]] || die "Xvfb :$n failed to start (see $xvfb_log)"
    rm -f "$xvfb_log"
done
[[ -n $display ]] || die "no free X display from :90 to :189 (see $xvfb_log)"

# --- environment for Wine and COMMAND --------------------------------------
export DISPLAY=$display
export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG--all}
# No Mono or Gecko install prompts; the caller's own overrides still apply.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

# --- prefix ----------------------------------------------------------------
create_prefix() {
    # Called from an if, where set -e is off: every step checks itself.
    # Where 32-bit programs cannot run, wineboot cannot start the WOW64 side's
    # rundll32 and may say so in its status; the reg.exe calls below prove
    # the prefix works all the same.
    "$wine64" wineboot -i || echo "$me: wineboot -i exited $?; the prefix is checked below"
    # No window manager on Xvfb: unmanaged windows avoid a 2 s wait each
    # time a dialog or the logo is hidden.
    "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f || return 1
    # A crash must end the process, not wait on a dialog nobody can click.
    "$wine64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f || return 1
    # The registry reaches the disk only when the server exits.
    wineserver -w || return 1
    [[ -f $prefix/system.reg ]]
}

if [[ ! -f $prefix/system.reg ]]; then
    existed=0
    [[ -d $prefix ]] && existed=1
    create_log=$parent/$(basename "$prefix")-create.log
    echo "$me: creating Wine prefix $prefix (about 15 s)"
    # A server left from a removed prefix of this name would serve the new
    # one from the files it no longer has.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    # Creation is chatty even with WINEDEBUG=-all; keep it in a log.
    if ! create_prefix >"$create_log" 2>&1 {lock_fd}>&-; then
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
        # Only remove what we made ourselves: a half-made prefix would be
        # taken for a good one next time.
        ((existed)) || rm -rf "$prefix"
        die "creating the Wine prefix failed (see $create_log)"
    fi
fi

# --- DPI -----------------------------------------------------------------------
# Written by the 64-bit reg.exe, and read by the server that starts next.
if [[ -z $dpi ]] && grep -q '"LogPixels"' "$prefix/user.reg" 2>/dev/null; then
    dpi=96
fi
if [[ -n $dpi ]]; then
    "$wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 {lock_fd}>&- ||
        die "could not set LogPixels to $dpi in $prefix"
fi

# --- run ---------------------------------------------------------------------
# A wineserver left from an earlier run keeps the display and the DPI it
# started with.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
# The prefix's services start with the first Windows program, and the
# desktop's explorer with the first window, each inheriting that program's
# descriptors: were it a test's, ctest would wait on them until the session's
# last program ends. A keeper owns them instead and lives as long as we do
# (it waits for a line on a pipe only we hold); a program that makes a window
# and ends waits until the desktop is up, whoever started it.
exec {keeper_fd}> >(exec "$wine64" cmd.exe /c "set /p line=" >/dev/null 2>&1 {lock_fd}>&-)
"$wine64" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 {lock_fd}>&- {keeper_fd}>&- ||
    die "no program could be started in $prefix"
# The server that started now read the DPI: ask it back through that server,
# so that a session whose setting did not take never passes for one at 96.
if [[ -n $dpi ]]; then
    reported=$("$wine64" reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null {lock_fd}>&- {keeper_fd}>&- |
        tr -d '\r' | sed -n 's/.*REG_DWORD[[:space:]]*0x\([0-9a-fA-F]*\).*/\1/p')
    [[ -n $reported ]] && (( 16#$reported == dpi )) ||
        die "the server reports LogPixels ${reported:+0x$reported }rather than $dpi in $prefix"
fi

# Run COMMAND in the background and wait for it, so that a signal reaches our
# traps at once. "<&0" keeps the caller's stdin, which bash would otherwise
# replace with /dev/null for a background command. The lock descriptor is
# not passed on: a wineserver outliving us must not hold the lock.
status=0
"$@" <&0 {lock_fd}>&- {keeper_fd}>&- &
cmd_pid=$!
wait "$cmd_pid" || status=$?
cmd_pid=
exit "$status"
