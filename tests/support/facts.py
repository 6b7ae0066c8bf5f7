"""The product's facts the support code needs to find and drive the program
(a window's size, the sprite sheet's rectangles, the table's file name, the
title), read from where the product writes them once. What a test expects
is never read from here: the test writes it out, as its oracle."""

import functools
import os
import re
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))


def source_dir():
    return os.environ.get("TILEBASH_SOURCE_DIR") or os.path.dirname(os.path.dirname(HERE))


@functools.cache
def _text(path):
    with open(os.path.join(source_dir(), path), encoding="utf-8") as f:
        return f.read()


@functools.cache
def form_size(path):  # (width, height) a .ui form gives its window
    rect = ElementTree.fromstring(_text(path)).find("./widget/property[@name='geometry']/rect")
    return int(rect.find("width").text), int(rect.find("height").text)


def constant(name):
    """A number of game/Constants.h: constexpr <type> name = value;"""
    return int(re.search(r"constexpr \w+ %s = (-?\d+);" % name, _text("game/Constants.h")).group(1))


def sheet_rect(name):
    """(x, y, width, height) of a SheetRect of game/Constants.h."""
    found = re.search(r"constexpr SheetRect %s\{([\d, ]+)\};" % name, _text("game/Constants.h")).group(1)
    return tuple(int(v) for v in found.split(","))


def brick_sprites():
    """(x, y, width, height) of the sheet's column of brick images."""
    ys = [int(y) for y in re.findall(r"\{\s*(?:\d+|INT16_MAX), (\d+), \d+\}", _struct_array("kBrickLooks"))]
    return constant("kBrickSpriteX"), min(ys), constant("kBrickWidth"), max(ys) + constant("kBrickHeight") - min(ys)


def special_sprites():
    """(x, y) of each bonus item's image in the sheet, by kind."""
    return [(int(x), int(y)) for x, y in re.findall(r"\{(\d+), (\d+), \d+\}", _struct_array("kSpecialLooks"))[1:]]


def _struct_array(name):
    return re.search(r"constexpr [^;{]*\b%s(?:\[\d+\])?(?: = )?\{(.*?)\};" % name, _text("game/Constants.h"), re.S).group(1)


def table_file_name():
    return re.search(r'kTableFileName\[\] = "([^"]+)"', _text("menu/ScoreFolder.h")).group(1)


def program_name():  # every window's title
    return re.search(r'kProgramName\[\] = "([^"]+)"', _text("windows/WindowLook.h")).group(1)


START_WINDOW = form_size("menu/frmSplash.ui")
PLAY_WINDOW = form_size("app/frmMain.ui")
INFO_WINDOW = form_size("menu/frmInfo.ui")
