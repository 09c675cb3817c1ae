"""Entry point CTest calls for the Wine tests.
  run.py --list          the test ids, one a line
  run.py --start|--stop  create the prefixes and the display / end them
  run.py ID              run one test, such as test_installer.InstallerTest.test_notice_in_english
  run.py --why-not       print why Wine cannot run the programs here; nothing where it can

Where Wine cannot run 32-bit programs, --start, --stop and every test print the reason and exit
with SKIPPED (CTest reports them as skipped), or with 1 when LAUNCH_REQUIRE_WINE=1.
"""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402

MODULES = ["test_installer", "test_uninstaller"]


def ids(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from ids(item)
        else:
            yield item.id()


SKIPPED = 77  # SKIP_RETURN_CODE of every Wine test in tests/wine/CMakeLists.txt


def main(argv):
    if argv == ["--list"]:
        print("\n".join(ids(unittest.defaultTestLoader.loadTestsFromNames(MODULES))))
        return 0
    reason = harness.wine_unavailable()
    if argv == ["--why-not"]:
        if reason:
            print(reason)
        return 0
    if reason:
        if harness.wine_required():
            print(f"FAILED: LAUNCH_REQUIRE_WINE=1 and Wine cannot run here: {reason}")
            return 1
        print(f"SKIPPED: {reason}")
        return SKIPPED
    if argv == ["--start"]:
        harness.start_session()
        return 0
    if argv == ["--stop"]:
        harness.stop_session()
        return 0
    if len(argv) == 1:
        suite = unittest.defaultTestLoader.loadTestsFromName(argv[0])
        result = unittest.TextTestRunner(verbosity=2).run(suite)
        return 0 if result.wasSuccessful() else 1
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
