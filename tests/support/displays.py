"""The display servers of displays.txt: which there are, what each needs,
and each started as a session's display through its driver."""

import collections
import importlib
import os

Server = collections.namedtuple("Server", "name driver options packages desktop bench_title bench_goal")


def _options(text):
    """"renderer=gl,scale=1.5" as keyword arguments, numbers as numbers."""
    pairs = [pair.split("=") for pair in text.split(",")] if text != "-" else []
    return {k: float(v) if v.replace(".", "", 1).isdigit() else v for k, v in pairs}


def _read():
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "displays.txt"), encoding="utf-8") as f:
        rows = [[field.strip() for field in line.split("|")] for line in f if line.strip() and line[0] != "#"]
    return {row[0]: Server(row[0], row[1], _options(row[2]), row[3].split(), *row[4:]) for row in rows}


SERVERS = _read()


def driver(name):  # the class of displays.txt's module.Class
    module, cls = SERVERS[name].driver.split(".")
    return getattr(importlib.import_module(module), cls)


def missing(name):
    """Why this machine cannot run the display server, or None."""
    try:
        return driver(name).missing(**SERVERS[name].options)
    except ImportError as error:  # a driver whose binding is not installed
        return "%s: %s" % (type(error).__name__, error)


def start(name, size, config_home):
    return driver(name)(size, config_home, **SERVERS[name].options)
