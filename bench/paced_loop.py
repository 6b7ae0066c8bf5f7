"""Runs the paced-loop measurement (the paced_loop program) in its own Xvfb,
with a second process moving the pointer over the play window and pressing
arrow keys, and prints what it measured. With --weston it runs under a
private headless Weston instead, on Qt's Wayland plugin, without input
(nothing can inject input into a headless Weston).

    paced_loop.py --build-dir DIR [--frames N] [--modes sleep,poll,busy] [--json FILE] [--weston]

The modes are frame waits, run one after the other in the same process: the
default sleep to the deadline, the earlier Qt timer with a polled last
millisecond, and a busy wait.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))

import harness  # noqa: E402
import weston  # noqa: E402
import xinput  # noqa: E402

TITLE_SECONDS = 2.0


MODES = ("sleep", "poll", "busy")


def run(build_dir, frames=2000, modes=MODES, json_path=None, echo=True, on_weston=False):
    """Returns the figures the program wrote (see PacedReport's JSON)."""
    exe = os.path.join(build_dir, "bin", "paced_loop")
    own_json = json_path is None
    if own_json:
        fd, json_path = tempfile.mkstemp(prefix="paced-", suffix=".json")
        os.close(fd)
    seconds = len(modes) * (frames * 0.022 + TITLE_SECONDS) + 5
    x = weston.Weston() if on_weston else harness.XServer()
    inp = None
    runtime = None
    try:
        env = x.env()
        if not on_weston:
            runtime = tempfile.mkdtemp(prefix="paced-runtime-")
            env["XDG_RUNTIME_DIR"] = runtime
        proc = subprocess.Popen([exe, "--frames", str(frames), "--modes", ",".join(modes), "--json", json_path], env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)
        said = ""
        while True:  # Qt may warn before the program is ready
            line = proc.stdout.readline().decode(errors="replace")
            if line.strip() == "READY":
                break
            said += line
            if not line:
                proc.wait(30)
                raise RuntimeError("paced_loop did not start: %s" % said)
        if not on_weston:  # paced_loop starts on its own after 5 s without input
            inp = xinput.start(env, xinput.window_geometry(env, proc.pid), seconds)
        try:
            output, _ = proc.communicate(timeout=seconds + 60)
        except subprocess.TimeoutExpired:
            proc.kill()
            raise RuntimeError("paced_loop did not finish within %.0f s" % (seconds + 60))
        if echo:
            sys.stdout.write(output.decode(errors="replace"))
        if proc.returncode != 0:
            raise RuntimeError("paced_loop failed (%d)" % proc.returncode)
        with open(json_path) as f:
            return json.load(f)
    finally:
        if inp is not None:
            xinput.stop(inp)
        x.stop()
        if runtime:
            shutil.rmtree(runtime, ignore_errors=True)
        if own_json:
            os.unlink(json_path)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--frames", type=int, default=2000)
    parser.add_argument("--modes", default=",".join(MODES))
    parser.add_argument("--json")
    parser.add_argument("--weston", action="store_true", help="under a headless Weston, not Xvfb")
    args = parser.parse_args()
    started = time.monotonic()
    run(args.build_dir, args.frames, args.modes.split(","), args.json, on_weston=args.weston)
    print("(%.0f s)" % (time.monotonic() - started))


if __name__ == "__main__":
    main()
