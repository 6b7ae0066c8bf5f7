#!/bin/sh
# The installed command: starts the program from its own folder, where it
# finds its sprite sheet. Found relative to this script, so the package and
# any `cmake --install --prefix` place both work.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/tilebash/tilebash" "$@"
