#!/usr/bin/env bash
# debian-source.sh PACKAGE VERSION DIR: Debian's source package PACKAGE at VERSION, unpacked with
# Debian's patches into DIR/src. apt fetches it through a deb-src list of its own under DIR/apt
# (the machine's apt sources and lists are left alone), from the Debian archive the machine
# installs its packages from; the archive's signed index vouches for the .dsc, and dpkg-source
# checks the maintainer's signature of the .dsc (debian-keyring) and every file against it.
# Once DIR/src is there, nothing is fetched again.
set -euo pipefail
pkg=$1 version=$2 dir=$3
[[ -f $dir/src/.unpacked ]] && exit 0
apt=$dir/apt
mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$dir/download"

# The Debian archive of this release that apt already uses for binary packages.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
archive=$(apt-get indextargets --format '$(REPO_URI) $(ORIGIN) $(LABEL) $(RELEASE)' \
    'Identifier: Packages' | awk -v r="$codename" '$2 == "Debian" && $3 == "Debian" && $4 == r {
        print $1; exit }')
[[ -n $archive ]] || { echo "debian-source.sh: no Debian $codename archive in apt's sources" >&2; exit 1; }
cat >"$apt/sources.list.d/source.sources" <<SOURCES
Types: deb-src
URIs: $archive
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources.list.d"
    -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
    -o "APT::Sandbox::User=$(id -un)")
apt-get "${options[@]}" -q update
(cd "$dir/download" && apt-get "${options[@]}" -q source --download-only "$pkg=$version")

rm -rf "$dir/src"
dpkg-source --require-valid-signature --require-strong-checksums --no-copy \
    -x "$dir/download/${pkg}_${version#*:}.dsc" "$dir/src"
touch "$dir/src/.unpacked"
