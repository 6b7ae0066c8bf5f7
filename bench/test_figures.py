"""The suite's table: percentiles, and each goal met or not at its edges."""

import unittest

import figures


class NearestRank(unittest.TestCase):
    def test_percentiles_by_nearest_rank(self):
        cases = [
            (list(range(1, 101)), 99, 99), (list(range(1, 101)), 50, 50), (list(range(1, 11)), 99, 10),
            ([3, 1, 2], 50, 2), ([5], 99, 5), ([], 99, None), (list(range(1, 21)), 99, 20),
        ]
        for values, percent, expected in cases:
            self.assertEqual(figures.nearest_rank(values, percent), expected, (values, percent))

    def test_summary_of_unordered_values(self):
        s = figures.summary([4.0, 1.0, 3.0, 2.0])
        self.assertEqual((s["mean"], s["median"], s["p99"], s["count"]), (2.5, 2.0, 4.0, 4))
        self.assertEqual(figures.summary([]), {})


class Verdicts(unittest.TestCase):
    def test_each_goal_at_and_past_its_limit(self):
        cases = [
            # A missing figure, or one without the field its goal reads, is never met.
            ("cpu_running", {"mean": 1.0, "median": 0.9, "p99": 9.0}, "met"), ("cpu_running", {}, "not measured"),
            ("cpu_running", {"median": 1.0}, "not measured"),
            ("cpu_running", {"mean": 1.01, "median": 0.9, "p99": 1.0}, "NOT MET"),
            ("cpu_full_screen_1920x1080", {"mean": 1.3, "versus": 1.0}, "met"),
            ("cpu_full_screen_1920x1080", {"mean": 1.31, "versus": 1.0}, "NOT MET"),
            ("cpu_full_screen_3840x2160", {"mean": 2.0, "versus": 1.0}, "met"),
            ("cpu_full_screen_3840x2160", {"mean": 2.01, "versus": 1.0}, "NOT MET"),
            ("cpu_full_screen_3840x2160", {"mean": 1.0}, "not measured"),  # without the window's figure
            ("cpu_full_screen_1366x768", {"mean": 2.0, "versus": 1.0}, "met"),  # the sharp fit
            ("cpu_full_screen_1366x768", {"mean": 2.01, "versus": 1.0}, "NOT MET"),
            ("late", {"median": 0.01, "p99": 0.1}, "met"), ("late", {"median": 0.01, "p99": 0.11}, "NOT MET"),
            ("late_loaded", {"p99": 0.52, "versus": 0.5}, "met"),
            ("late_loaded", {"p99": 0.53, "versus": 0.5}, "NOT MET"),
            ("period_loaded", {"p99": 22.4, "versus": 23.0}, "met"),
            ("period_loaded", {"p99": 22.4}, "not measured"),  # without the earlier wait's figure
            ("key_latency", {"mean": 12.5, "median": 11.0, "p99": 23.5}, "met"),
            ("key_latency", {"mean": 12.6, "median": 11.0, "p99": 20.0}, "NOT MET"),
            ("key_latency", {"mean": 11.0, "median": 11.0, "p99": 23.6}, "NOT MET"),
            ("key_latency_full_screen_3840x2160", {"mean": 12.6, "median": 11.0, "p99": 20.0}, "NOT MET"),
            ("period_full_screen_1920x1080", {"mean": 22.0, "median": 22.0, "p99": 22.51}, "NOT MET"),
            ("cpu_paused", {"mean": 1.0}, "met"), ("cpu_start", {"mean": 1.2}, "NOT MET"),
            ("period", {"mean": 22.05, "median": 22.0, "p99": 22.5}, "met"),
            ("period", {"mean": 21.95, "median": 22.0, "p99": 22.1}, "met"),
            ("period", {"mean": 22.06, "median": 22.0, "p99": 22.1}, "NOT MET"),
            ("period", {"mean": 22.0, "median": 22.0, "p99": 22.51}, "NOT MET"),
            ("below_tick", {"value": 0}, "met"), ("below_tick", {"value": 1}, "NOT MET"),
            ("draw_usual", {"mean": 0.4, "median": 0.3, "p99": 1.0}, "met"),
            ("draw_usual", {"mean": 0.41, "median": 0.3, "p99": 0.5}, "NOT MET"),
            ("draw_usual", {"mean": 0.3, "median": 0.3, "p99": 1.01}, "NOT MET"),
            ("draw_worst", {"mean": 1.0, "median": 1.0, "p99": 1.5}, "NOT MET"), ("rules", {"median": 2.0}, "met"),
            ("simulation", {"median": 1.99}, "NOT MET"), ("simulation", {"median": 2.0}, "met"),
            ("vmhwm", {"value": 40.0}, "met"), ("startup", {"median": 150.1, "p99": 140.0}, "NOT MET"),
            ("busy_ratio", {"value": 40.0}, "-"),
            # Each display server against Xvfb in the same run.
            ("server_weston_gl", {"value": 1.2, "versus": 1.0}, "met"),
            ("server_mutter", {"value": 1.21, "versus": 1.0}, "NOT MET"),
            ("server_mutter", {"value": 1.0}, "not measured"),  # without Xvfb's figure
            ("server_kwin", {"value": 9.0, "versus": 1.0}, "-"),  # keeps the buffer: measured, not judged
            ("server_sway", {"missing": "sway is not installed"}, "not measured"), ("server_xvfb", {"value": 1.0}, "-"),
        ]
        for key, figure, expected in cases:
            self.assertEqual(figures.verdict(figures.BY_KEY[key], figure), expected, (key, figure))


class Table(unittest.TestCase):
    def test_every_goal_has_a_row_with_aligned_columns(self):
        text = figures.table({"rules": {"mean": 0.7, "median": 0.69, "p99": 0.75},
                              "vmhwm": {"value": 31.25, "note": "after 20 s of play"}})
        grid = [l for l in text.splitlines() if l.startswith("|")]
        goals, servers = grid[:2 + len(figures.GOALS)], grid[2 + len(figures.GOALS):]
        self.assertEqual(len(servers), 2 + len(figures.SERVERS))
        for table in (goals, servers):
            self.assertEqual(len({l.count("|") for l in table}), 1)
            self.assertEqual(len({len(l) for l in table}), 1)
        rules = next(l for l in grid if "rules of one frame" in l)
        self.assertIn("0.690", rules)
        self.assertIn("met", rules)
        vm = next(l for l in grid if "VmHWM" in l)
        self.assertEqual(vm.count("31.2"), 3)  # one value fills mean, median and p99
        self.assertIn("after 20 s of play", text)
        self.assertEqual(figures.missed({"rules": {"median": 3.0}}), ["rules of one frame (us)"])

    def test_a_display_server_over_its_goal_says_where_the_cpu_went(self):
        found = {"server_xvfb": {"value": 1.0, "main": 1.0, "others": 0.0, "switches": 1.3},
                 "server_mutter": {"value": 2.5, "main": 1.6, "others": 0.9, "switches": 9.0, "server": 30.0,
                                   "versus": 1.0, "note": "2000 frames"}}
        row = next(l for l in figures.table(found).splitlines() if l.startswith("| mutter"))
        self.assertEqual([c.strip() for c in row.split("|")[2:8]], ["2.50", "1.60", "0.90", "9.0", "30.00", "2.50"])
        self.assertIn("- mutter: 2000 frames; of its 1.50 points above Xvfb's, 0.60 are the main thread's and 0.90 "
                      "the toolkit's other threads'", figures.table(found))
        self.assertEqual(figures.missed(found), ["CPU, paced loop, mutter"])
