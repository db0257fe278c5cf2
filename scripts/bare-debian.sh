#!/usr/bin/env bash
# Runs the README's two commands, exactly as written, on a bare Debian bookworm: a minimal
# system (mmdebstrap, variant apt, plus git and ca-certificates) and a fresh clone of this
# checkout's committed HEAD. Fails if either command fails or any test was skipped there.
# Needs root; installs mmdebstrap if it is missing.
#   usage: scripts/bare-debian.sh [ROOT]
# ROOT is the folder for the system; without it, a temporary one is made and removed.
# A ROOT that already holds a system is reused (the clone is always fresh).
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "bare-debian: needs root (mmdebstrap and chroot)" >&2
  exit 2
fi
command -v mmdebstrap >/dev/null || {
  apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q mmdebstrap >/dev/null
}

made=""
if [ $# -ge 1 ]; then
  root=$(mkdir -p "$1" && cd "$1" && pwd)
else
  root=$(mktemp -d /var/tmp/bare-debian.XXXXXX)
  made=$root
fi
log=$root.log
: >"$log"

# Unmounts what was bound in before anything is removed: a removal must never reach the
# host's /dev, /proc or /sys through a bind mount.
cleanup() {
  for m in sys dev proc; do
    umount -R "$root/$m" 2>/dev/null || umount -l "$root/$m" 2>/dev/null || true
  done
  if [ -n "$made" ]; then
    for m in sys dev proc; do
      if mountpoint -q "$root/$m"; then
        echo "bare-debian: $root/$m is still mounted; $root is left in place" >&2
        return
      fi
    done
    rm -rf --one-file-system "$made"
  fi
}
trap cleanup EXIT

started=$(date +%s)
if [ ! -x "$root/usr/bin/git" ]; then
  mmdebstrap --variant=apt --include=git,ca-certificates bookworm "$root" >>"$log" 2>&1 || {
    echo "bare-debian: mmdebstrap failed (see $log)" >&2
    exit 1
  }
fi
# The host's name servers and its extra certificate authorities, so that the new system
# reaches the package archive and npm's registry as the host does.
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp /etc/apt/apt.conf.d/99* "$root/etc/apt/apt.conf.d/" 2>/dev/null || true
cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/" 2>/dev/null || true
chroot "$root" update-ca-certificates >>"$log" 2>&1
for m in proc dev sys; do
  mountpoint -q "$root/$m" || mount --bind "/$m" "$root/$m"
done
rm -rf "$root/root/clone"
git clone -q "$source" "$root/root/clone"
echo "bare-debian: system ready in $(($(date +%s) - started)) s"

failed=0
for command in scripts/run.sh scripts/test.sh; do
  begun=$(date +%s)
  status=0
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin TERM=dumb \
    NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
    bash -c "cd /root/clone && $command" >>"$log" 2>&1 || status=$?
  echo "bare-debian: $command: status $status, $(($(date +%s) - begun)) s"
  [ "$status" -eq 0 ] || failed=1
done
grep -E "tests passed|tests failed" "$log" | tail -1 || true
if grep -q -E '\*\*\*Skipped|Not Run|did not run' "$log"; then
  echo "bare-debian: a test was skipped:" >&2
  grep -E '\*\*\*Skipped|Not Run' "$log" >&2 || true
  failed=1
fi
[ "$failed" -eq 0 ] || {
  echo "bare-debian: failed; the whole output is in $log" >&2
  tail -40 "$log" >&2
}
echo "bare-debian: $(($(date +%s) - started)) s in all"
exit "$failed"
