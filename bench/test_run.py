"""The suite's scripts without a display: the player input's rate and bounds, how the programs' outputs become the
table's figures, and where the steering finds the play field in a picture of its window."""

import pathlib
import re
import tempfile
import time
import unittest
from unittest import mock

from PIL import Image as Pillow

import figures
import paced
import playfield
import run
import screen
import xinput

# The figures paced.wait_figures makes of each wait, as paced.table_figures reads them.
PACED_JSON = {
    "sleep": {"frames": 2000, "period_mean_ms": 22.001, "period_median_ms": 22.0, "period_p99_ms": 22.3,
              "period_min_ms": 21.9, "period_max_ms": 23.0, "below_22ms_tick": 0, "below_22ms_ns": 3,
              "over_22_5ms": 4, "late_median_ms": 0.1, "late_p99_ms": 0.45, "late_max_ms": 0.9,
              "cpu_percent": 2.5, "main_cpu_percent": 2.0, "switches_per_frame": 1.5, "main_switches_per_frame": 1.2,
              "server_cpu_percent": 0.4, "pointer_motions": 900, "key_presses": 170},
}
PACED_JSON["busy"] = dict(PACED_JSON["sleep"], cpu_percent=99.0)
PACED_JSON["timer-then-poll"] = dict(PACED_JSON["sleep"], period_p99_ms=22.6, late_p99_ms=0.6, cpu_percent=3.4)
LOADED_JSON = {"sleep": dict(PACED_JSON["sleep"], period_p99_ms=22.7, late_p99_ms=0.7),
               "timer-then-poll": dict(PACED_JSON["timer-then-poll"], period_p99_ms=23.1, late_p99_ms=1.2)}


class PlayerInput(unittest.TestCase):
    def test_motions_at_sixty_a_second_inside_the_window_and_arrows_always_released(self):
        # 16 motions: a key goes down with the last one.
        for seconds, presses in ((10, 40), (0.05, 1), (1.1, 5), (16 / 60, 2)):
            steps = list(xinput.steps(100, 50, 640, 420, seconds))
            moves = [at for at, _, _ in steps]
            self.assertEqual(len(moves), int(seconds * 60), seconds)
            for x, y in moves:
                self.assertTrue(100 <= x < 740 and 50 <= y < 470, (x, y))
            self.assertTrue(all(a != b for a, b in zip(moves, moves[1:])), "every motion moves the pointer")
            held, downs = set(), 0
            for _, down, up in steps:
                for key in filter(None, (down, up)):
                    self.assertIn(key, ("Left", "Right"))
                if down:
                    self.assertNotIn(down, held)
                    held.add(down)
                    downs += 1
                if up:
                    held.remove(up)
            self.assertEqual(held, set(), "a key is left down after %g s" % seconds)
            self.assertEqual(downs, presses, seconds)  # four a second

    def test_every_step_reaches_the_display_in_order_paced_on_the_clock(self):
        window = mock.Mock(x=10, y=20, width=640, height=420)
        sent = []
        d = mock.MagicMock()
        d.__enter__.return_value = d
        for call in ("warp", "key_down", "key_up"):
            getattr(d, call).side_effect = lambda *args, call=call: sent.append((call, time.monotonic(), args))
        with mock.patch.object(xinput.x11, "Display", return_value=d) as opened:
            with xinput.sweeping(":7", window, 0.25):
                time.sleep(1.0)  # the 15 motions take 0.25 s
        opened.assert_called_once_with(":7")
        expected = []
        for at, down, up in xinput.steps(10, 20, 640, 420, 0.25):
            expected += [("warp", at)] + [("key_down", (down,))] * bool(down) + [("key_up", (up,))] * bool(up)
        self.assertEqual([(c, a) for c, _, a in sent], expected)
        moved = [t for c, t, _ in sent if c == "warp"]
        self.assertGreaterEqual(moved[-1] - moved[0], 14 / 60 - 0.005)  # not sent in a burst


class Figures(unittest.TestCase):
    def test_frame_starts_and_ticks_become_periods_and_lateness(self):
        # Starts in ns on a clock whose millisecond tick began at 5'000'000'300 ns:
        # the second frame on its deadline's first ns, the third 1.2 ms late
        # (tick 45, not 44), the fourth 0.3 ms late, the fifth 1 ns shy of 22 ms
        # after it; then a frame started a tick early, 21.5 ms after the one before.
        cases = [
            ([0, 22000000, 45200000, 67300000, 89299999], [0, 22, 45, 67, 89],
             {"frames": 4, "period_p99_ms": 23.2, "period_min_ms": 21.999999, "below_22ms_ns": 1,
              "below_22ms_tick": 0, "over_22_5ms": 1, "late_median_ms": 0.299999, "late_max_ms": 1.2}),
            ([0, 22000000, 43500000], [0, 22, 43],
             {"frames": 2, "below_22ms_tick": 1, "below_22ms_ns": 1, "late_median_ms": -0.5, "late_p99_ms": 0.0}),
        ]
        for starts, ticks, expected in cases:
            raw = {"starts": [5000000300 + s for s in starts], "ticks": ticks, "frame_ms": 22, "cpu_ns": 50,
                   "main_cpu_ns": 40, "switches": 8, "main_switches": 4, "wall_ns": 2000,
                   "lost_balls": 0, "walls_rebuilt": 1, "pointer_motions": 9, "key_presses": 2}
            f = paced.wait_figures(raw)
            for key, value in expected.items():
                self.assertAlmostEqual(f[key], value, places=9, msg=(starts, key))
            self.assertEqual((f["cpu_percent"], f["main_cpu_percent"], f["walls_rebuilt"], f["key_presses"]),
                             (2.5, 2.0, 1, 2))
            self.assertEqual((f["switches_per_frame"], f["main_switches_per_frame"]),
                             (8 / f["frames"], 4 / f["frames"]))

    def test_the_display_server_is_timed_between_the_marks_of_each_wait(self):
        lines = [b'{"begin": "sleep"}\n', b'{"end": "sleep"}\n', b'{"begin": "busy"}\n', b'{"end": "busy"}\n',
                 b'{"sleep": {}, "busy": {}}\n']
        proc = mock.Mock(stdout=iter(lines))
        with mock.patch.object(paced, "session_cpu_seconds", side_effect=[10.0, 10.5, 11.0, 12.0]) as cpu, \
                mock.patch.object(paced.time, "monotonic", side_effect=[100.0, 150.0, 160.0, 170.0]):
            last, server = paced.follow(proc, 4321, 60)
        self.assertEqual(last, lines[-1])
        self.assertEqual(server, {"sleep": 1.0, "busy": 10.0})
        cpu.assert_called_with(4321)

    def test_paced_loop_json_becomes_period_tick_and_busy_figures(self):
        # Xvfb without input before and after the compositors: Weston measured,
        # mutter missing, KWin failing to start.
        xvfb = [{"sleep": dict(PACED_JSON["sleep"], cpu_percent=c, main_cpu_percent=m)} for c, m in ((1.0, 1.0),
                                                                                                       (1.2, 1.1))]
        weston_json = {"sleep": dict(PACED_JSON["sleep"], period_mean_ms=22.01, cpu_percent=3.5)}
        full_json = [{"sleep": dict(PACED_JSON["sleep"], period_p99_ms=22.4 + i / 100)}
                     for i in range(len(figures.FULL_SCREENS))]
        runs_made = [PACED_JSON, LOADED_JSON, xvfb[0], weston_json, RuntimeError("kwin ended"), xvfb[1]] + full_json
        missing = {"mutter": "no mutter"}.get
        with mock.patch.object(paced, "run", side_effect=runs_made) as runs, \
                mock.patch.object(paced.displays, "missing", side_effect=missing), \
                mock.patch.object(paced, "busy_loops", return_value=[]) as spin:
            f = paced.table_figures("/nowhere", 2000, ("weston_pixman", "mutter", "kwin"))
        self.assertEqual([(c.kwargs["server"], c.kwargs["with_input"]) for c in runs.call_args_list[2:6]],
                         [("xvfb", False), ("weston_pixman", False), ("kwin", False), ("xvfb", False)])
        # Each screen's full-screen run under its own key.
        for i, (size, _) in enumerate(figures.FULL_SCREENS):
            self.assertEqual(runs.call_args_list[6 + i].kwargs["screen"], size)
            self.assertEqual(f[figures.full_screen_key("period_full_screen", size)]["p99"], 22.4 + i / 100)
        spin.assert_called_once()
        fields = {
            # Xvfb's row is the mean of its two runs, every compositor's beside it.
            "server_xvfb": {"value": 1.1, "others": 0.05},
            "server_weston_pixman": {"value": 3.5, "server": 0.4, "versus": 1.1},
            # The busy machine's figures, each with the timer-then-poll wait's from the same run.
            "period_loaded": {"p99": 22.7, "versus": 23.1}, "late_loaded": {"p99": 0.7, "versus": 1.2},
            "period": {"mean": 22.001, "median": 22.0, "p99": 22.3}, "period_timer_then_poll": {"p99": 22.6},
            "late": {"p99": 0.45}, "late_timer_then_poll": {"p99": 0.6}, "period_weston": {"mean": 22.01},
            "loop_cpu": {"value": 2.5}, "loop_cpu_timer_then_poll": {"value": 3.4}, "busy_cpu": {"value": 99.0},
            "below_tick": {"value": 0},
        }
        for key, expected in fields.items():
            for field, value in expected.items():
                self.assertAlmostEqual(f[key][field], value, msg=(key, field))
        whole = {"server_mutter": {"missing": "no mutter"}, "below_ns": {"value": 3},
                 "server_kwin": {"missing": "failed: RuntimeError: kwin ended"},
                 "busy_ratio": {"value": 39.6}}  # busy CPU : sleep CPU
        self.assertEqual({key: f[key] for key in whole}, whole)
        self.assertRegex(f["period"]["note"], r"900 pointer motions and 170 key presses")
        # No sleep CPU, no ratio.
        idle = dict(PACED_JSON, sleep=dict(PACED_JSON["sleep"], cpu_percent=0.0))
        with mock.patch.object(paced, "run", side_effect=[idle, LOADED_JSON, xvfb[0]] + full_json), \
                mock.patch.object(paced, "busy_loops", return_value=[]):
            f = paced.table_figures("/nowhere", 2000, (), xvfb_twice=False)
        self.assertNotIn("busy_ratio", f)
        self.assertNotIn("period_weston", f)

    def test_benchmark_runs_become_microseconds_million_frames_and_milliseconds(self):
        runs = ([{"name": "BM_RunFrame", "cpu_time": ns} for ns in (600.0, 640.0, 620.0)] +
                [{"name": "BM_HeadlessSimulation", "frames_per_second": fps} for fps in (2.4e6, 2.1e6, 2.6e6)])
        with mock.patch.object(run, "google_benchmark", return_value=runs):
            f = run.rules_figures("/nowhere", run.SHORT)
        self.assertAlmostEqual(f["rules"]["median"], 0.62)
        self.assertAlmostEqual(f["rules"]["p99"], 0.64)
        self.assertAlmostEqual(f["simulation"]["median"], 2.4)
        self.assertAlmostEqual(f["simulation"]["p99"], 2.1)  # the slowest run, since more is better
        # The paced drawing's own counters, in us.
        runs = [{"name": "BM_DrawFramePaced/0/100/iterations:100/manual_time", "mean_us": 380.0,
                 "median_us": 350.0, "p99_us": 900.0, "max_us": 1200.0},
                {"name": "BM_DrawFramePaced/1/100/iterations:100/manual_time", "mean_us": 500.0,
                 "median_us": 480.0, "p99_us": 1100.0, "max_us": 1300.0}]
        with mock.patch.object(run, "google_benchmark", return_value=runs) as bench:
            f = run.draw_figures("/nowhere", run.SHORT)
        filt = next(a for a in bench.call_args[0][1] if a.startswith("--benchmark_filter="))
        self.assertTrue(re.search(filt.split("=", 1)[1], runs[0]["name"]))
        self.assertEqual((f["draw_usual"]["mean"], f["draw_usual"]["p99"]), (0.38, 0.9))
        self.assertEqual(f["draw_worst"]["median"], 0.48)


class FieldInItsWindow(unittest.TestCase):
    def test_the_field_is_found_at_a_whole_scale_or_smoothed_to_fill_the_screen_and_read_back(self):
        field = playfield.background()

        def shown(scale, x, y, width, height, unpainted=0):
            """The field at (x, y) on black, scale times larger, each device pixel showing the field pixel under its
            centre (as a whole scale and the sharp fit before it smooths do); its last columns black mid-repaint."""
            size = (int(field.width * scale + 1e-6), int(field.height * scale + 1e-6))
            big = field.picture.transform(size, Pillow.Transform.AFFINE, (1 / scale, 0, 0, 0, 1 / scale, 0),
                                          Pillow.Resampling.NEAREST)
            big.paste((0, 0, 0), (big.width - unpainted, 0, big.width, big.height))
            picture = Pillow.new("RGB", (width, height))
            picture.paste(big, (x, y))
            return screen.Image(picture)

        # (the field as shown, where field_in finds it, where smoothed_field_in finds it)
        cases = [((1, 0, 0, 640, 420), (0, 0, 1), (0, 0, 1.0)),
                 ((2, 320, 120, 1920, 1080), (320, 120, 2), None), ((3, 10, 7, 1940, 1290), (10, 7, 3), None),
                 ((2, 320, 120, 1920, 1080, 3), None, None), ((1, 0, 0, 640, 420, 640), None, None),
                 # The sharp fit: 1170x768 on 1366x768, 1024x672 on 1024x768.
                 ((768 / 420, 98, 0, 1366, 768), None, (98, 0, 768 / 420)),
                 ((1.6, 0, 48, 1024, 768), None, (0, 48, 1.6)),
                 ((768 / 420, 97, 0, 1366, 768), None, None),  # not centred
                 ((768 / 420, 98, 0, 1366, 768, 1), None, None)]
        for picture, whole, smoothed in cases:
            shot = shown(*picture)
            self.assertEqual((playfield.field_in(shot), playfield.smoothed_field_in(shot)), (whole, smoothed), picture)
            if smoothed and not whole:
                # The camera's reading: a device row a field row, then a device pixel a field pixel.
                x, y, exact = smoothed
                rows = Pillow.new("RGB", (shot.width - x, field.height))
                for i, row in enumerate(playfield.nearest_lines(field.height, exact)):
                    rows.paste(shot.picture.crop((x, y + row, shot.width, y + row + 1)), (0, i))
                read = playfield.field_of_smoothed(screen.Image(rows), exact)
                self.assertEqual(read.count_different(field), 0, picture)


class Document(unittest.TestCase):
    def test_the_table_goes_into_the_template_once_under_its_release(self):
        with tempfile.TemporaryDirectory() as folder:
            path = pathlib.Path(folder, "PERFORMANCE.md")
            run.write_doc(path, "| the table |", "Debian 13 (trixie)")
            text = path.read_text()
        self.assertEqual(text.count("| the table |"), 1)
        self.assertTrue(text.startswith("# Performance on Debian 13 (trixie)\n"), text[:80])
        self.assertNotIn("@FIGURES@", text)
        self.assertNotIn("@RELEASE@", text)

    def test_each_release_has_its_page_and_its_name(self):
        # os-release's fields as Debian 12, 13 and testing write them.
        cases = [
            ({"NAME": "Debian GNU/Linux", "VERSION_ID": "12", "VERSION_CODENAME": "bookworm"},
             "PERFORMANCE.md", "Debian 12 (bookworm)"),
            ({"NAME": "Debian GNU/Linux", "VERSION_ID": "13", "VERSION_CODENAME": "trixie"},
             "PERFORMANCE-debian13.md", "Debian 13 (trixie)"),
            ({"NAME": "Debian GNU/Linux", "VERSION_CODENAME": "forky"}, "PERFORMANCE-forky.md", "Debian (forky)"),
        ]
        for release, page, name in cases:
            self.assertEqual((run.page_name(release), run.release_name(release)), (page, name), release)
