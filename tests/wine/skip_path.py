"""The path the test command takes where Wine cannot run 32-bit programs, tried on any machine with
LAUNCH_ASSUME_NO_32BIT=1: CTest runs one Wine test, with the fixture that starts and stops Wine,
from this build's Wine test folder. It must report all three as skipped with the reason and pass;
with LAUNCH_REQUIRE_WINE=1 as well it must fail with the reason. The demo and the benchmark must
stop with exit code 3 before any Wine step. One Wine test is enough: all share run.py's decision.
  skip_path.py <ctest> <build dir> <source dir>
"""
import os
import subprocess
import sys
import unittest
from pathlib import Path

CTEST, BUILD, SOURCE = sys.argv[1:4]
WINE_TESTS = Path(BUILD) / "tests" / "wine"
ONE_TEST = "wine.installer.32bit_windows_starts_the_32bit_tool"
REASON = "LAUNCH_ASSUME_NO_32BIT=1 treats this machine as one whose kernel runs no 32-bit x86 program"


def run(command, **extra):
    env = {k: v for k, v in os.environ.items()
           if k not in ("LAUNCH_WINE_UNAVAILABLE", "LAUNCH_REQUIRE_WINE")}
    env.update(LAUNCH_ASSUME_NO_32BIT="1", **extra)
    result = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, timeout=300)
    return result.returncode, result.stdout


def ctest(**extra):
    # Its own test folder keeps this run's log apart from the log of the run that started it.
    code, out = run([CTEST, "--test-dir", str(WINE_TESTS), "-R", f"^{ONE_TEST}$",
                     "--output-on-failure"], **extra)
    log = (WINE_TESTS / "Testing" / "Temporary" / "LastTest.log").read_text()
    return code, out, log


class SkipPathTest(unittest.TestCase):
    def test_wine_tests_are_skipped_with_the_reason(self):
        code, out, log = ctest()
        self.assertEqual(0, code, out)
        for name in ("wine.start", ONE_TEST, "wine.stop"):
            self.assertRegex(out, rf"{name} \.+\*+Skipped", out)
        self.assertIn("100% tests passed", out)
        self.assertEqual(3, log.count(f"SKIPPED: {REASON}"), log)

    def test_required_wine_fails_with_the_reason(self):
        code, out, _ = ctest(LAUNCH_REQUIRE_WINE="1")
        self.assertNotEqual(0, code, out)
        self.assertIn(f"FAILED: LAUNCH_REQUIRE_WINE=1 and Wine cannot run here: {REASON}", out)
        self.assertNotIn("Skipped", out)

    def test_demo_and_benchmark_stop_with_exit_code_3(self):
        for tool in ("demo.py", "bench.py"):
            with self.subTest(tool=tool):
                code, out = run([sys.executable, str(Path(SOURCE) / "tools" / tool)])
                self.assertEqual(3, code, out)
                self.assertIn(REASON, out)
                self.assertNotIn("Starting Wine", out)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
