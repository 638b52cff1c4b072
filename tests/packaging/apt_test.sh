#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The package as a learner's machine meets it: in a throw-away copy of this system (an overlay
# of / in a mount namespace of its own, entered with chroot; nothing reaches the real system)
# the compilers and development packages are purged first, then `apt-get install ./DEB`
# installs the package with the dependencies it declares, the triggers of shared-mime-info
# and desktop-file-utils run, and the checks below look at the result: the program starts,
# a .evd file is its type and opens with it, and `apt-get purge` leaves /usr as it was.
# Needs root and no network (every dependency is installed here already).
#   tests/packaging/apt_test.sh tirelo_VERSION_ARCH.deb VERSION
set -euo pipefail
deb=$(realpath "$1")
version=$2
here=$(dirname "$(realpath "$0")")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/upper" "$scratch/work" "$scratch/root"
cp "$deb" "$scratch/tirelo.deb"
cp "$here/apt_inside.sh" "$here/open_and_close.sh" "$scratch/"
unshare --mount --propagation private bash -euo pipefail -c '
  s=$1
  mount -t overlay overlay -o lowerdir=/,upperdir=$s/upper,workdir=$s/work "$s/root"
  mount -t proc proc "$s/root/proc"
  mount --rbind /dev "$s/root/dev"
  mount -t tmpfs tmpfs "$s/root/tmp"
  mkdir -p "$s/root/tmp/in"
  cp "$s/tirelo.deb" "$s/apt_inside.sh" "$s/open_and_close.sh" "$s/root/tmp/in/"
  chroot "$s/root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 \
    bash /tmp/in/apt_inside.sh /tmp/in/tirelo.deb "$2"
' apt_test "$scratch" "$version"
