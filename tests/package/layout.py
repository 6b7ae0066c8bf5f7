"""What an installed Tilebash consists of, relative to its prefix, and the
helpers the packaging tests share."""

import os
import re
import shlex
import subprocess

import facts
from facts import source_dir

APP_ID = facts.app_id()
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
# Debian's layout for games: the command in games/, the program folder with
# the machine's own files in libexec/, the sprite sheet in share/games/ with a
# link to it from the program folder.
COMMAND = "games/tilebash"
PROGRAM_DIR = "libexec/tilebash"
DATA_DIR = "share/games/tilebash"
DOC_DIR = "share/doc/tilebash"
SHEET = "Images/bitmaps.bmp"

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
    path = os.environ.get("TILEBASH_BUILD_DIR")
    if not path:
        raise RuntimeError("TILEBASH_BUILD_DIR is not set (the CMake build folder)")
    return path


def configured_dir():
    """Where the build writes the packaging files that carry the version."""
    return os.path.join(build_dir(), "packaging")


def project_version():
    version = os.environ.get("TILEBASH_VERSION")
    if not version:
        raise RuntimeError("TILEBASH_VERSION is not set (the project's version)")
    return version


def files_under(root):
    """Every file and symlink below root, as paths relative to it."""
    found = []
    for dirpath, _, names in os.walk(root):
        for name in names:
            found.append(os.path.relpath(os.path.join(dirpath, name), root))
    return sorted(found)


def desktop_entry(path):
    """The [Desktop Entry] group of a desktop file as a dict."""
    entry, group = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            m = re.match(r"^\[(.*)\]$", line)
            if m:
                group = m.group(1)
            elif group == "Desktop Entry" and "=" in line:
                key, value = line.split("=", 1)
                entry[key.strip()] = value.strip()
    return entry


def exec_argv(entry):
    """The entry's Exec command as argv, field codes (%f, %U, ...) dropped."""
    return [arg for arg in shlex.split(entry["Exec"]) if not re.fullmatch(r"%[a-zA-Z]", arg)]


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=kwargs.pop("timeout", 120), **kwargs)
