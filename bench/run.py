"""The benchmark suite, one step after the other so that no step disturbs another, and the table of its figures
against their goals, headed by the machine it ran on. paced, latency and program run one step each, as their modules
describe; all (the default) runs the rules and drawing benchmarks, then those three. --short runs every step briefly
(50 paced frames, 1 s CPU spans, 2 starts, 5 key presses; of the compositors only the two Weston) to show that it
still builds and runs: its figures are not the goals'. --strict ends with status 1 when a goal is not met.
--doc-dir DIR writes the page of the Debian release the run is on (page_name) there from PERFORMANCE.md.in with the
table in it, after a full run of all. --commit names the tree's commit where git cannot (a copy of the tree in another
release's root). Needs tests/support on PYTHONPATH.
"""

import argparse
import json
import os
import pathlib
import platform
import subprocess
import sys
import tempfile
import time

import displays
import figures
import latency
import paced
import program

HERE = os.path.dirname(os.path.abspath(__file__))
FULL = {"repetitions": 10, "min_time": 0.5, "paced_draw": 1000, "frames": 2000, "seconds": 20.0,
        "window": 1.0, "starts": 10, "presses": 250, "servers": figures.COMPOSITORS, "xvfb_twice": True}
SHORT = {"repetitions": 2, "min_time": 0.05, "paced_draw": 100, "frames": 50, "seconds": 1.0, "window": 0.5,
         "starts": 2, "presses": 5, "xvfb_twice": False,
         "servers": tuple(n for n in figures.COMPOSITORS if displays.SERVERS[n].driver == "weston.Weston")}
# The packages whose versions head the page: the toolkit the program runs on, by names every supported release
# shares, and each display server with a row.
TOOLKIT = ("qt6-base-dev", "qt6-wayland")
SERVER_PACKAGES = tuple(dict.fromkeys(s.packages[0] for s in figures.BENCHED))
# The release whose figures docs/PERFORMANCE.md holds; every other release has a page of its own.
FIRST_RELEASE = "bookworm"


def google_benchmark(exe, args, env=None):
    """Runs a Google Benchmark program (its console output shown) and returns its JSON runs."""
    with tempfile.NamedTemporaryFile(prefix="bench-", suffix=".json") as out:
        subprocess.run([exe, "--benchmark_out=" + out.name, "--benchmark_out_format=json"] + args, check=True, env=env)
        return [b for b in json.load(out)["benchmarks"] if b.get("run_type", "iteration") == "iteration"]


def rules_figures(build_dir, p):
    runs = google_benchmark(os.path.join(build_dir, "bin", "bench_rules"), [
        "--benchmark_repetitions=%d" % p["repetitions"], "--benchmark_min_time=%g" % p["min_time"]])
    rules = [r["cpu_time"] / 1000.0 for r in runs if r["name"].startswith("BM_RunFrame")]  # ns -> us
    sims = [r["frames_per_second"] / 1e6 for r in runs if r["name"].startswith("BM_HeadlessSimulation")]
    return {"rules": figures.summary(rules, note="CPU time per frame, %d repetitions (p99: slowest)" % len(rules)),
            # More is better: the p99 is the slow tail.
            "simulation": figures.summary(sims, p99=figures.nearest_rank(sims, 1),
                                          note="%d repetitions (p99: slowest)" % len(sims))}


def draw_figures(build_dir, p):
    frames = p["paced_draw"]
    runs = google_benchmark(os.path.join(build_dir, "bin", "bench_draw"),
                            ["--benchmark_filter=BM_DrawFramePaced/[01]/%d/" % frames,
                             "--benchmark_min_time=%g" % p["min_time"]], dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    return {key: dict({field: r[field + "_us"] / 1000.0 for field in ("mean", "median", "p99")},
                      note="%d frames, one every 22 ms, off screen; max %.3f ms" % (frames, r["max_us"] / 1000.0))
            for key, scene in (("draw_usual", 0), ("draw_worst", 1))
            for r in runs if r["name"].startswith("BM_DrawFramePaced/%d/%d/" % (scene, frames))}


def _output(command):
    try:
        return subprocess.run(command, capture_output=True, text=True, timeout=30).stdout.strip() or "unknown"
    except (OSError, subprocess.SubprocessError):
        return "not found"


def versions(packages):
    """"package version" of those of the packages installed, in their order."""
    lines = _output(["dpkg-query", "-W", "-f", "${db:Status-Status} ${Package} ${Version}\n", *packages])
    found = dict(line.split(" ", 2)[1:] for line in lines.splitlines() if line.startswith("installed "))
    return ", ".join("%s %s" % (p, found[p]) for p in packages if p in found) or "unknown"


def os_release():
    try:
        return platform.freedesktop_os_release()
    except OSError:
        return {}


def release_name(release):
    """The release as a heading says it, from os-release's fields: "Debian 13 (trixie)"."""
    name, version, codename = release.get("NAME", "unknown"), release.get("VERSION_ID"), release.get("VERSION_CODENAME")
    name = name.split(" ")[0]  # "Debian GNU/Linux": Debian
    return " ".join(filter(None, [name, version])) + (" (%s)" % codename if codename else "")


def page_name(release):
    """The page a full run writes, from os-release's fields: PERFORMANCE.md on Debian 12, whose page came first;
    PERFORMANCE-debian13.md on Debian 13; by its code name where a release has no number yet (testing)."""
    if release.get("VERSION_CODENAME") == FIRST_RELEASE:
        return "PERFORMANCE.md"
    tag = ("debian" + release["VERSION_ID"] if release.get("VERSION_ID")
           else release.get("VERSION_CODENAME") or release.get("ID", "unknown"))
    return "PERFORMANCE-%s.md" % tag


def machine(commit=None):
    """The processor, its cores, the load, the release, the toolkit and the display servers' versions."""
    with open("/proc/cpuinfo") as f:
        model = next((line.split(":", 1)[1].strip() for line in f if line.startswith("model name")), "unknown")
    return {"processor": model, "cores": os.cpu_count(), "load_start": os.getloadavg(),
            "release": release_name(os_release()), "toolkit": versions(TOOLKIT), "servers": versions(SERVER_PACKAGES),
            "commit": commit or _output(["git", "-C", HERE, "describe", "--always", "--dirty"]),
            "date": time.strftime("%Y-%m-%d")}


def heading(m, short, seconds):
    return "\n".join([
        "- Machine: %s, %d cores" % (m["processor"], m["cores"]),
        "- Release: %s; %s" % (m["release"], m["toolkit"]),
        "- Load average (1, 5, 15 min): %.2f, %.2f, %.2f at the start, %.2f, %.2f, %.2f at the end"
        % (*m["load_start"], *m["load_end"]),
        "- Display servers: %s" % m["servers"],
        "- Run: %s, commit %s, %s, %.0f s; every row below comes from this one run, the comparison rows "
        "(timer-then-poll wait, busy wait, Xvfb against the Wayland compositors, window against full screen) "
        "included" % (m["date"], m["commit"], "short (not the goals' conditions)" if short else "full", seconds),
    ])


def write_doc(path, text, release):
    template = pathlib.Path(HERE, "PERFORMANCE.md.in").read_text()
    pathlib.Path(path).write_text(template.replace("@RELEASE@", release).replace("@FIGURES@", text))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", nargs="?", default="all", choices=("paced", "latency", "program", "all"))
    parser.add_argument("--build-dir", required=True)
    for flag in ("--short", "--strict"):
        parser.add_argument(flag, action="store_true")
    for option in ("--doc-dir", "--commit"):
        parser.add_argument(option)
    args = parser.parse_args()
    build_dir = os.path.abspath(args.build_dir)
    # The compositors' launchers start wlinput, built beside the program.
    os.environ.setdefault("TILEBASH_WLINPUT", os.path.join(build_dir, "bin", "wlinput"))
    p = SHORT if args.short else FULL
    started = time.monotonic()
    m = machine(args.commit)
    # (command, title, step), in the order they run.
    steps = [
        ("all", "rules and headless simulation", lambda: rules_figures(build_dir, p)),
        ("all", "drawing", lambda: draw_figures(build_dir, p)),
        ("paced", "paced loop", lambda: paced.table_figures(build_dir, p["frames"], p["servers"], p["xvfb_twice"])),
        ("latency", "key to screen", lambda: latency.table_figures(build_dir, p["presses"])),
        ("program", "the real program", lambda: program.table_figures(
            os.path.join(build_dir, "program"), p["seconds"], p["window"], p["starts"])),
    ]
    found, failed = {}, []
    for title, step in [(title, step) for name, title, step in steps if args.command in ("all", name)]:
        print("\n=== %s ===" % title, flush=True)
        try:
            found.update(step())
        except Exception as error:  # the other steps still give their figures
            print("step failed: %s: %s" % (type(error).__name__, error), flush=True)
            failed.append(title)
    m["load_end"] = os.getloadavg()
    pathlib.Path(build_dir, "bench-figures.json").write_text(json.dumps({"machine": m, "figures": found}, indent=1))
    text = heading(m, args.short, time.monotonic() - started) + "\n\n" + figures.table(found)
    print("\n=== figures ===\n" + text)
    if args.doc_dir and args.command == "all" and not args.short and not failed:
        doc = os.path.join(args.doc_dir, page_name(os_release()))
        write_doc(doc, text, m["release"])
        print("written to %s" % doc)
    if failed:
        print("steps that failed: %s" % ", ".join(failed))
        return 1
    missed = figures.missed(found)
    if missed and args.strict:
        print("goals not met: %s" % ", ".join(missed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
