"""Entry point CTest calls for the Wine tests.
  run.py --list          the test ids, one a line
  run.py --start|--stop  create the prefixes and the display / end them
  run.py ID              run one test, such as test_installer.InstallerTest.test_notice_in_english
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


def main(argv):
    if argv == ["--list"]:
        print("\n".join(ids(unittest.defaultTestLoader.loadTestsFromNames(MODULES))))
        return 0
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
