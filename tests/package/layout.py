"""What an installed Tilebash consists of, relative to its prefix, and the
helpers the packaging tests share. The names here are the tests' own: a
renamed file, id or folder fails them."""

import os
import subprocess

from gi.repository import GLib

import procs
from facts import source_dir

# The id docks, software centres and Wayland know the program by; changing it
# loses a user's pinned entry and the store's listing.
APP_ID = "org.tilebash.Tilebash"
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
# Debian's layout for games: the command in games/, the program folder with
# the machine's own files in libexec/, the sprite sheet in share/games/ with a
# link to it from the program folder.
COMMAND = "games/tilebash"
PROGRAM_DIR = "libexec/tilebash"
DATA_DIR = "share/games/tilebash"
DOC_DIR = "share/doc/tilebash"
SHEET = "Images/bitmaps.bmp"
ENTRY = GLib.KEY_FILE_DESKTOP_GROUP

FILES = sorted([
    COMMAND,
    PROGRAM_DIR + "/tilebash",
    PROGRAM_DIR + "/" + SHEET,
    PROGRAM_DIR + "/installed",
    DATA_DIR + "/" + SHEET,
    DOC_DIR + "/copyright",
    DOC_DIR + "/changelog.gz",
    "share/applications/%s.desktop" % APP_ID,
    "share/metainfo/%s.metainfo.xml" % APP_ID,
    "share/man/man6/tilebash.6.gz",
] + ["share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, APP_ID) for n in ICON_SIZES])


def packaging_dir():
    return os.path.join(source_dir(), "packaging")


def build_dir():
    return procs.env_folder("TILEBASH_BUILD_DIR", "the CMake build folder")


def configured_dir():
    """Where the build writes the packaging files that carry the version."""
    return os.path.join(build_dir(), "packaging")


def files_under(root):
    """Every file and symlink below root, as paths relative to it."""
    found = []
    for dirpath, _, names in os.walk(root):
        for name in names:
            found.append(os.path.relpath(os.path.join(dirpath, name), root))
    return sorted(found)


def desktop_entry(path):
    """A desktop file, read by GLib as a desktop reads it; its keys are in the
    group ENTRY."""
    entry = GLib.KeyFile()
    entry.load_from_file(path, GLib.KeyFileFlags.NONE)
    return entry


def exec_argv(entry):
    """The entry's Exec command as argv. The program opens no files, so it has
    no field code (%f, %U) to drop."""
    return GLib.shell_parse_argv(entry.get_string(ENTRY, "Exec"))[1]


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=kwargs.pop("timeout", 120), **kwargs)
