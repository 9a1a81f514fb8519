#!/usr/bin/env bash
# deps.sh: sourced by the play and test scripts. ensure_packages PKG... installs the missing
# Debian packages with apt-get when run as root; otherwise prints the one sudo line and fails.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null | grep -qx installed ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

# The packages listed in a file, one per line; '#' starts a comment.
packages_from() { sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$1"; }

# ensure_node_modules DIR: `npm ci` in DIR when its node_modules is missing or older than its
# package-lock.json (npm ci leaves node_modules/.package-lock.json behind as the mark).
ensure_node_modules() {
    local mark=$1/node_modules/.package-lock.json
    [[ -f $mark && ! $1/package-lock.json -nt $mark ]] && return 0
    # Debian's nodejs comes without npm; other builds of nodejs bring their own.
    command -v npm >/dev/null || ensure_packages npm
    (cd "$1" && npm ci --no-audit --no-fund)
}
