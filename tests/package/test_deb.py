"""The .deb built by CPack from this build: its fields and files, and a whole
life of the installed game. Installed for real when run as root (as CI is),
else unpacked into a scratch root. The game is started through the desktop
entry's command as an ordinary user whose home is a fresh folder, it shows its
start window, keeps its scores in that user's data folder, is closed, and the
package is removed leaving none of its files and no process behind."""

import glob
import os
import platform
import pwd
import shutil
import sys
import tempfile
import unittest

import psutil
from debian import deb822, debfile

import layout
from layout import APP_ID, run

sys.path.insert(0, os.path.join(layout.source_dir(), "tests", "e2e"))
import displays  # noqa: E402
import harness  # noqa: E402
import playfield  # noqa: E402
from e2e_case import DEFAULT_TABLE  # noqa: E402

SKIP = 77
PLAYER = "nobody"
AS_ROOT = os.geteuid() == 0
# TILEBASH_DEB_SCRATCH=1 takes the scratch-root way even as root.
INSTALL_FOR_REAL = AS_ROOT and os.environ.get("TILEBASH_DEB_SCRATCH") != "1"


def cpack_config():
    path = os.environ.get("TILEBASH_CPACK_CONFIG")
    if not path or not os.path.exists(path):
        raise RuntimeError("TILEBASH_CPACK_CONFIG does not name the build's CPackConfig.cmake")
    return path


def package_state():
    out = run(["dpkg-query", "-W", "-f=${db:Status-Status}", "tilebash"])
    return out.stdout.strip() if out.returncode == 0 else "unknown"


def processes_running(executable):
    return [p.pid for p in psutil.process_iter(["exe"]) if p.info["exe"] == executable]


class InstalledGame(harness.Session):
    """A session on Xvfb for the installed program, run as user with env."""

    def __init__(self, test_id, env, user=None):
        super().__init__(test_id, env=env)
        self.user = user

    def launch_argv(self, argv, cwd):
        extra = {}
        if self.user is not None:
            extra = dict(user=self.user.pw_uid, group=self.user.pw_gid, extra_groups=[])
        return super().launch_argv(argv, cwd, **extra)


class Package(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="tilebash-deb-")
        os.chmod(cls.work, 0o755)
        out = run([os.environ.get("TILEBASH_CPACK", "cpack"), "--config", cpack_config(), "-G", "DEB", "-B", os.path.join(cls.work, "out")],
                  timeout=300)
        if out.returncode != 0:
            shutil.rmtree(cls.work, True)
            raise AssertionError("cpack failed:\n" + out.stdout + out.stderr)
        debs = glob.glob(os.path.join(cls.work, "out", "*.deb"))
        if len(debs) != 1:
            shutil.rmtree(cls.work, True)
            raise AssertionError("cpack made %r, expected one .deb" % debs)
        cls.deb = debs[0]
        with debfile.DebFile(cls.deb) as deb:
            cls.control = deb.debcontrol()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, True)

    def deb_files(self):
        """The package's non-directory entries, as paths under /usr."""
        with debfile.DebFile(self.deb) as deb:
            members = deb.data.tgz().getmembers()
        return sorted(m.name.lstrip(".") for m in members if not m.isdir())

    def test_fields_name_a_games_package_of_this_release_with_its_libraries(self):
        release = platform.freedesktop_os_release()
        # Built for this Debian release, say Debian 13: 1.0.0+deb13; testing by its name.
        suffix = "+deb" + release["VERSION_ID"] if "VERSION_ID" in release else "+" + release["VERSION_CODENAME"]
        fields = {
            "Package": "tilebash",
            "Version": "1.5.8" + suffix,  # this release, raised with project(VERSION)
            "Section": "games",
            "Architecture": run(["dpkg", "--print-architecture"]).stdout.strip(),
        }
        for name, expected in fields.items():
            with self.subTest(field=name):
                self.assertEqual(self.control.get(name), expected)
        depends = self.control.get("Depends", "")
        for library in ("libqt6widgets6", "libqt6gui6", "libqt6core6", "libc6", "libstdc++6"):
            with self.subTest(depends=library):
                self.assertIn(library, depends)
        # Each is a package of this release by its own name (Debian 13's
        # libqt6core6t64, not the libqt6core6 it only provides).
        for name in (choice["name"] for group in deb822.PkgRelation.parse_relations(depends) for choice in group):
            with self.subTest(installed=name):
                self.assertEqual(run(["dpkg-query", "-W", "-f=${db:Status-Status}", name]).stdout, "installed")
        self.assertTrue(self.control.get("Maintainer"))
        recommends = self.control.get("Recommends", "")
        for package in ("fonts-liberation2", "qt6-wayland"):
            with self.subTest(recommends=package):
                self.assertIn(package, recommends)

    def test_contents_are_the_install_layout_under_usr(self):
        self.assertEqual(self.deb_files(), ["/usr/" + f for f in layout.FILES])

    def test_lintian_finds_no_error_warning_or_pedantic_and_experimental_tag(self):
        # Overridden tags (usr/share/lintian/overrides) are not shown; info
        # tags are allowed.
        self.assertIsNotNone(shutil.which("lintian"), "lintian is not installed (run scripts/setup)")
        out = run(["lintian", "--pedantic", "--display-experimental",
                   "--fail-on", "error,warning,pedantic,experimental", self.deb], timeout=300)
        found = [line for line in out.stdout.splitlines() if line[:2] in ("E:", "W:", "P:", "X:")]
        self.assertEqual(found, [], "lintian tags to fix or override with a reason")
        self.assertEqual(out.returncode, 0, out.stdout + out.stderr)

    def test_installed_game_starts_from_its_entry_keeps_scores_per_user_and_removes_cleanly(self):
        if INSTALL_FOR_REAL:
            self.play_installed_copy()
        else:
            self.play_scratch_copy()

    # ---- the two ways to install ------------------------------------------
    def play_installed_copy(self):
        before = package_state()
        self.assertIn(before, ("unknown", "not-installed", "config-files"),
                      "a tilebash package is already installed here (%s); remove it with `dpkg --purge "
                      "tilebash` to run this test" % before)
        out = run(["dpkg", "--install", self.deb], timeout=300)
        self.assertEqual(out.returncode, 0, "dpkg --install failed:\n" + out.stdout + out.stderr)
        removed = False
        try:
            self.assertEqual(package_state(), "installed")
            listed = run(["dpkg-query", "--listfiles", "tilebash"]).stdout.split()
            owned = sorted(p for p in listed if not os.path.isdir(p))
            self.assertEqual(owned, self.deb_files(), "dpkg lists other files than the package holds")
            self.play("/", user=pwd.getpwnam(PLAYER))
            out = run(["dpkg", "--purge", "tilebash"], timeout=300)
            removed = True
            self.assertEqual(out.returncode, 0, "dpkg --purge failed:\n" + out.stdout + out.stderr)
        finally:
            if not removed:
                run(["dpkg", "--purge", "tilebash"], timeout=300)
        self.assertEqual(package_state(), "unknown" if before == "unknown" else "not-installed")
        left = [p for p in owned if os.path.lexists(p)]
        self.assertEqual(left, [], "files of the package left after removal")
        for folder in (layout.PROGRAM_DIR, layout.DATA_DIR, layout.DOC_DIR):
            with self.subTest(left=folder):
                self.assertFalse(os.path.exists("/usr/" + folder), "a folder of the package is left after removal")

    def play_scratch_copy(self):
        root = os.path.join(self.work, "root")
        out = run(["dpkg-deb", "--extract", self.deb, root])
        if out.returncode != 0:
            self.skipTest("not root, and dpkg-deb cannot unpack into a scratch root: " + out.stderr)
        # An installed program folder is not the player's to write in.
        folder = os.path.join(root, "usr", layout.PROGRAM_DIR)
        for dirpath, _, _ in os.walk(folder):
            os.chmod(dirpath, 0o555)
        try:
            self.play(root, user=pwd.getpwnam(PLAYER) if AS_ROOT else None)
        finally:
            for dirpath, _, _ in os.walk(folder):
                os.chmod(dirpath, 0o755)
        shutil.rmtree(root)
        self.assertFalse(os.path.exists(root))

    # ---- one life of the game ---------------------------------------------
    def play(self, root, user):
        """Starts the game as the entry says, checks its window and its scores,
        closes it and checks nothing of it runs on."""
        usr = os.path.join(root, "usr")
        program = os.path.realpath(os.path.join(usr, layout.PROGRAM_DIR, "tilebash"))
        entry = layout.desktop_entry(os.path.join(usr, "share/applications", APP_ID + ".desktop"))
        home = os.path.join(self.work, "home")
        runtime = os.path.join(home, ".runtime")
        os.makedirs(runtime, mode=0o700)
        if user is not None:
            for path in (home, runtime):
                os.chown(path, user.pw_uid, user.pw_gid)
        os.chmod(home, 0o700)
        command = os.path.join(usr, layout.COMMAND)
        env = {"PATH": os.path.dirname(command) + ":/usr/bin:/bin", "HOME": home, "XDG_RUNTIME_DIR": runtime,
               "LANG": "C.UTF-8"}
        argv = layout.exec_argv(entry)
        argv[0] = shutil.which(argv[0], path=env["PATH"])
        self.assertEqual(argv[0], command, "Exec does not find the installed command")
        folder_before = layout.files_under(os.path.dirname(program))

        # Checks that must not stop the removal afterwards are gathered here.
        problems = []
        game = InstalledGame(self.id(), env, user)
        try:
            game.launch_argv(argv, cwd=home)
            start = game.wait_start_window()
            game.check(psutil.Process(game.proc.pid).exe() == program,
                       "the entry's command did not run the program of the package")
            # An X11 dock ties a window to its entry, and so to the icon, by this class.
            wm_class = entry.get_string(layout.ENTRY, "StartupWMClass")
            game.check(start.wid in game.x.windows_of_class(wm_class),
                       "the start window's WM_CLASS does not name the entry's StartupWMClass %r" % wm_class)
            scores = os.path.join(home, ".local/share/tilebash/highscore.txt")
            try:
                game.wait_for(lambda: os.path.exists(scores), 10, "the per-user high-score table")
                with open(scores, "rb") as f:
                    if f.read() != DEFAULT_TABLE:
                        problems.append("%s does not hold the default table" % scores)
            except harness.Failure as error:
                problems.append(str(error).splitlines()[0])
            if layout.files_under(os.path.dirname(program)) != folder_before:
                problems.append("the game wrote into its installed program folder")
            game.click(start, *playfield.EXIT_BUTTON)
            status = game.wait_exit()
            game.check(status == 0, "the game ended with status %s" % status)
        finally:
            game.close()
        self.assertEqual(processes_running(program), [], "processes of the game still run")
        self.assertEqual(problems, [])


if __name__ == "__main__":
    if not AS_ROOT and shutil.which("dpkg-deb") is None:
        print("skipped: not root, and no dpkg-deb to unpack into a scratch root")
        sys.exit(SKIP)
    cpack = os.environ.get("TILEBASH_CPACK", "cpack")
    reason = displays.missing("xvfb") or (None if shutil.which(cpack) else "%s is not installed" % cpack)
    if reason:
        print("skipped: " + reason)
        sys.exit(SKIP)
    unittest.main()
