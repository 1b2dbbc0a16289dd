#!/usr/bin/env bash
# Tovani itself in a sway session (WAYLAND_DISPLAY, no DISPLAY, no
# QT_QPA_PLATFORM):
#  - it chooses the Wayland backend, and `tovani status` says so, with no
#    pointer source;
#  - it says once, at the first start only, that the guide works without the
#    pointer;
#  - `tovani toggle` shows the guide in the display's middle third (that
#    next-line moves it on this backend: textlines.sh sway; that a click on
#    the guide reaches the window beneath: sway_guide, on the same surfaces).
source "$(dirname "$0")/lib.sh"

sway_start
BG="0 64 255"
sway_background "$BG"

notice_shown() { swaymsg -t get_tree | grep -q '"name": "Tovani"'; }
tovani_start toggle
tovani_expect_status "backend: wayland, pointer: none"
wl_wait_for 10 notice_shown || wl_fail "no notice at the first start: $(swaymsg -t get_tree | grep '"name"')"

# The rows of column 20 that are not the background; the line the guide
# stands on, the band's centre, is in rows 266-533.
guide_rows() { wl_shot 20 0 1 800 | h_rows_off "$BG" 0; }
in_middle() { read -r first last <<<"$(guide_rows)"; [ "$first" != none ] && [ $((first + last)) -ge 531 ] && [ $((first + last)) -le 1067 ]; }
wl_wait_for 10 in_middle || wl_fail "the guide is not in the middle third: rows $(guide_rows)"

tovani_quit
TOVANI_REUSE_CONFIG=1 tovani_start
tovani_expect_status "backend: wayland*"
sleep 2 # the notice would come a second after the start
! notice_shown || wl_fail "the notice came again at the second start"
