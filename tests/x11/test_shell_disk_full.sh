#!/usr/bin/env bash
# A full disk under the settings folder: "tovani thicker" changes the guide but
# cannot save, so it says so and exits non-zero, and the settings file keeps
# what it had (not emptied, no temporary file left). Once there is room again
# the next change is saved. Needs root for the small tmpfs; it runs in a mount
# namespace of its own, so the mount goes when the test ends, however it ends.
[ "$(id -u)" = 0 ] || { echo "SKIP: needs root to mount a small tmpfs" >&2; exit 77; }
if [ -z "${TOVANI_IN_MOUNT_NS:-}" ]; then
    # Where / is not a mount point (a chroot, a package build root) or mount
    # namespaces are not allowed, there is no private one to be had.
    why=$(unshare --mount --propagation private true 2>&1) || { echo "SKIP: no private mount namespace here: $why" >&2; exit 77; }
    TOVANI_IN_MOUNT_NS=1 exec unshare --mount --propagation private bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

x11_start --no-compositor
tovani_config_home
DIR="$TOVANI_CONFIG_HOME/tovani" CONF="$TOVANI_CONFIG_HOME/tovani/tovani.conf"
mount -t tmpfs -o size=8k tmpfs "$DIR" || x11_skip "cannot mount a tmpfs here"
# The harness removes its scratch folder at exit, which a mount point in it
# would stop: unmount first, however the test ends.
H_AT_EXIT="umount -l $DIR"
printf '[General]\ncurrentStyle=Ruler\ncustomThickness=45\n' >"$CONF"
BEFORE=$(cat "$CONF")
dd if=/dev/zero of="$DIR/filler" bs=1k count=64 2>/dev/null
[ "$(df --output=avail -B1 "$DIR" | tail -1 | tr -d ' ')" = 0 ] || x11_fail "the tmpfs is not full"

tovani_start toggle
x11_wait_for 20 test -S "$XDG_RUNTIME_DIR/tovani.socket" || x11_fail "tovani did not open its socket"
out=$(tovani_cmd thicker 2>&1) && x11_fail "'tovani thicker' on a full disk succeeded, saying '$out'"
[[ $out == *"not saved"* ]] || x11_fail "'tovani thicker' on a full disk said '$out'"
[ "$(cat "$CONF")" = "$BEFORE" ] || x11_fail "the settings file changed: '$(cat "$CONF")'"
[ "$(ls -A "$DIR" | tr '\n' ' ')" = "filler tovani.conf " ] || x11_fail "files left in the settings folder: $(ls -A "$DIR")"
rm "$DIR/filler"
tovani_cmd thicker || x11_fail "'tovani thicker' failed with room on the disk"
grep -qx "customThickness=55" "$CONF" || x11_fail "the next change was not saved: $(cat "$CONF")"
tovani_pass
