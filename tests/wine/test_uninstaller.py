"""The real uninstaller.exe under Wine, beside the stand-in tool. Its two tool instances may run at
the same time, so their records are matched by parameters, never by the order they appear in."""
import unittest

import harness as h

MODEM = "/S /U quorixusbmdm.inf /C"
SERIAL = "/S /U quorixusbser.inf /C"


class UninstallerTest(h.PackageTest):
    def run_uninstaller(self, arch, args=(), cwd=None, **env):
        exe = h.win_path(self.package / "uninstaller.exe")
        return h.run(arch, [exe, *args], cwd=cwd, **self.fake_env(**env))

    def assert_both_launches(self, build):
        records = h.wait_for_records(self.records, 2)
        self.assertEqual(2, len(records), records)
        tool = f"{h.win_path(self.package)}\\DPInst{build}.exe"
        # The shell puts the program path in quotes and the parameters after it.
        self.assertEqual({f'"{tool}" {MODEM}', f'"{tool}" {SERIAL}'},
                         {record["cmdline"] for record in records})
        for record in records:
            self.assertEqual(build, record["build"])
            self.assertEqual(h.win_path(self.package), record["cwd"])

    def test_64bit_windows_removes_both_packages(self):
        self.case(package_name="USB Setup")
        elsewhere = self.dir / "started from here"
        elsewhere.mkdir()
        report = self.run_uninstaller("win64", args=["/LM", "x y"], cwd=elsewhere)
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_both_launches("64")

    def test_32bit_windows_removes_both_packages(self):
        self.case()
        report = self.run_uninstaller("win32")
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_both_launches("32")

    def test_signed_uninstaller_runs_like_the_unsigned_one(self):
        self.case(package_name="USB Setup")
        self.use_signed_programs()
        report = self.run_uninstaller("win64")
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_both_launches("64")

    def test_does_not_wait_for_the_tool(self):
        self.case()
        report = self.run_uninstaller("win64", FAKE_TOOL_SLEEP_MS=15000)
        self.assertEqual(0, h.ended_tools(self.records), "the uninstaller waited for a tool")
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_both_launches("64")

    def test_missing_tool_fails_silently(self):
        self.case(tools=("32",))
        report = self.run_uninstaller("win64", RUNNER_HOLD_DIR=h.win_path(self.dir))
        self.assertEqual("0xFFFFFFFF", report["exit"], report)
        self.assertEqual("0", report["boxes"])
        self.assertEqual([], h.wait_for_records(self.records, 1, timeout=2))


if __name__ == "__main__":
    unittest.main()
