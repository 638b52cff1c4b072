#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The session of a double click, run inside xvfb-run: a window manager, then PROGRAM FILE;
# succeeds when the main window comes and closes again as a user closes it.
#   open_and_close.sh PROGRAM FILE
openbox >/dev/null 2>&1 &
# The window manager must be up before the window comes, or nothing frames and closes it.
for _ in $(seq 1 40); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.25
done
"$1" "$2" >/dev/null 2>&1 &
program=$!
for _ in $(seq 1 60); do
  window=$(xdotool search --name '^Tirelo V - Vokabeltrainerin' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { kill "$program"; exit 1; }
sleep 2
# Closing the window as a user does (openbox: Alt+F4) lets it write its settings.
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
for _ in $(seq 1 40); do kill -0 "$program" 2>/dev/null || exit 0; sleep 0.5; done
kill "$program"
exit 1
