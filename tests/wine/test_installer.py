"""The real installer.exe under Wine, beside the stand-in tool and setup services."""
import subprocess
import time
import unittest
from pathlib import Path

import harness as h

TOOL_ARGUMENTS = "/LM /C"
PROBE_LOG = "log 2 IsDeviceInstallInProgress"
ENGLISH_NOTICE = ("USB Installer", "An driver install process is runing ")
CHINESE_NOTICE = ("USB驱动安装", "请取消驱动安装向导")


class InstallerTest(h.PackageTest):
    def run_installer(self, arch="win64", args=(), locale=h.ENGLISH, name="installer.exe", **env):
        exe = h.win_path(self.package / name)
        return h.run(arch, [exe, *args], locale=locale, **self.fake_env(**env))

    def assert_started_once(self, build, locale=h.ENGLISH):
        records = h.tool_records(self.records, locale)
        self.assertEqual(1, len(records), f"tool instances: {records}")
        record = records[0]
        self.assertEqual(build, record["build"])
        tool = f"{h.win_path(self.package)}\\DPInst{build}.exe"
        self.assertEqual(f'"{tool}" {TOOL_ARGUMENTS}', record["cmdline"])
        return record

    def test_64bit_windows_starts_the_64bit_tool(self):
        self.case(package_name="USB Setup")  # A folder with a space: the tool path is quoted.
        report = self.run_installer("win64")
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_started_once("64")
        self.assertEqual([PROBE_LOG, "wait 0 0"] * 2, h.setup_log(self.log))
        self.assertEqual("0", report["boxes"])

    def test_signed_installer_runs_like_the_unsigned_one(self):
        self.case(package_name="USB Setup")
        self.use_signed_programs()
        report = self.run_installer("win64")
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_started_once("64")
        self.assertEqual([PROBE_LOG, "wait 0 0"] * 2, h.setup_log(self.log))

    def test_32bit_windows_starts_the_32bit_tool(self):
        self.case()
        report = self.run_installer("win32")
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_started_once("32")

    def test_tool_runs_in_the_installers_current_directory(self):
        self.case()
        elsewhere = self.dir / "started from here"
        elsewhere.mkdir()
        report = h.run("win64", [h.win_path(self.package / "installer.exe")], cwd=elsewhere,
                       **self.fake_env())
        self.assertEqual("0x00000001", report["exit"], report)
        record = self.assert_started_once("64")
        self.assertEqual(h.win_path(elsewhere).lower(), record["cwd"].lower())

    def test_arguments_change_nothing(self):
        self.case()
        report = self.run_installer(args=["/S", "/U", "other.inf", "/C", "extra words"])
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_started_once("64")

    def test_exit_code_of_the_tool(self):
        self.case()
        table = [
            (0x00000000, 1), (0x40000000, 1), (0x7FFFFFFF, 1),
            (0x80000000, -1), (0x80FFFFFF, -1), (0x81000000, -1),
            (0xC0000000, -1), (0xC0000005, -1), (0xFFFFFFFF, -1),
        ]
        for tool_code, result in table:
            with self.subTest(tool_code=f"0x{tool_code:08X}"):
                report = self.run_installer(FAKE_TOOL_EXIT=f"0x{tool_code:08X}")
                self.assertEqual(f"0x{result & 0xFFFFFFFF:08X}", report["exit"])

    def test_waits_for_the_tool(self):
        self.case()
        report = self.run_installer(FAKE_TOOL_SLEEP_MS=1500)
        self.assertEqual(1, h.ended_tools(self.records), "the installer ended before the tool")
        self.assertGreaterEqual(int(report["elapsed_ms"]), 1500, report)
        self.assertEqual("0x00000001", report["exit"])

    def test_missing_tool_fails_without_trying_the_other_build(self):
        self.case(tools=("32",))
        report = self.run_installer("win64", RUNNER_HOLD_DIR=h.win_path(self.dir))
        self.assertEqual("0xFFFFFFFF", report["exit"], report)
        self.assertEqual([], h.tool_records(self.records))
        self.assertEqual("0", report["boxes"])

    def test_system_setup_services(self):
        # Without the stand-in, Wine's own setup services answer: nothing pending.
        self.case(setupapi=False)
        report = self.run_installer()
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_started_once("64")

    def test_silent_polling_when_a_later_probe_finds_an_installation(self):
        self.case()
        report = self.run_installer(FAKE_SETUPAPI_SCRIPT="0,258*40,0",
                                    RUNNER_HOLD_DIR=h.win_path(self.dir))
        self.assertEqual("0", report["boxes"])
        log = h.setup_log(self.log)
        self.assertEqual(42, log.count(PROBE_LOG))
        self.assertEqual(["wait 0 0"] + ["wait 0 258"] * 40 + ["wait 0 0"],
                         [line for line in log if line.startswith("wait")])
        self.assert_started_once("64")

    def notice(self, locale, expected, screenshot):
        """Runs the installer with an installation pending at the first probe and still for a while
        after the OK; checks the live box while it is up, then the rest of the run."""
        self.case()
        hold = self.dir / "hold"
        hold.mkdir()
        env = h.wine_env("win64", locale, RUNNER_HOLD_DIR=h.win_path(hold),
                         FAKE_SETUPAPI_SCRIPT="258*30,0", **self.fake_env())
        runner = subprocess.Popen(["wine", str(h.RUNNER), h.win_path(self.package / "installer.exe")],
                                  env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            deadline = time.time() + 60
            while not (hold / "box-up").exists():
                self.assertLess(time.time(), deadline, "no notice appeared")
                self.assertIsNone(runner.poll(), "the installer ended without a notice")
                time.sleep(0.05)
            time.sleep(0.3)  # Anything the installer would wrongly do next, it does now.
            self.assertEqual([], h.tool_records(self.records, locale), "tool started under the notice")
            self.assertEqual([PROBE_LOG, "wait 0 258"], h.setup_log(self.log), "probed under the notice")
            h.screenshot(env["DISPLAY"], h.WORK / "screenshots" / screenshot,
                         rect=(hold / "box-up").read_text())
            (hold / "go").touch()
            out, _ = runner.communicate(timeout=60)
        finally:
            (hold / "go").touch()
            if runner.poll() is None:
                runner.kill()
        report = h.parse_report(out.decode("utf-8"))
        self.assertEqual("1", report["boxes"], "the notice came back")
        self.assertEqual(expected, (report["box1.caption"], report["box1.text"]))
        self.assertEqual("0x00000001", report["exit"], report)
        self.assertEqual(31, h.setup_log(self.log).count(PROBE_LOG))
        self.assert_started_once("64", locale)

    def test_notice_in_english(self):
        self.notice(h.ENGLISH, ENGLISH_NOTICE, "notice-english.png")

    def test_notice_in_chinese(self):
        self.notice(h.CHINESE, CHINESE_NOTICE, "notice-chinese.png")

    def test_other_chinese_variants_get_english(self):
        self.notice(h.TAIWAN, ENGLISH_NOTICE, "notice-zh-tw.png")

    def test_double_byte_file_name_with_a_backslash_byte(self):
        # U+4E57 is 0x81 0x5C in code page 936: a byte-wise search for the last backslash would cut
        # inside the program's own name.
        self.case(package_name="drv\u4e57pkg")
        (self.package / "installer.exe").rename(self.package / "setup\u4e57.exe")
        self.assertEqual(b"\x81\\", "\u4e57".encode("gbk"))
        report = self.run_installer(locale=h.CHINESE, name="setup\u4e57.exe")
        self.assertEqual("0x00000001", report["exit"], report)
        self.assert_started_once("64", h.CHINESE)

    def test_long_module_path_never_starts_a_tool_from_an_ancestor(self):
        # The installer lies 300 characters deep; its name cut to 260 characters would end inside
        # the folders, at one that holds a planted tool.
        self.case()
        folder = self.package
        for part in ("a" * 90, "b" * 90, "c" * 90):
            folder = folder / part
        h.lay_package(folder)
        cut = h.win_path(folder / "installer.exe")[:260]
        ancestor = Path(cut[2:cut.rindex("\\")].replace("\\", "/"))
        self.assertNotEqual(folder, ancestor)
        h.lay_package(ancestor, programs=False)
        self.assertGreater(len(h.win_path(folder / "installer.exe")), 260)
        # A name this long cannot be started through the ANSI call: start it by its Unix path.
        result = subprocess.run(["wine", str(folder / "installer.exe")], timeout=60,
                                env=h.wine_env("win64", **self.fake_env()))
        self.assertEqual(255, result.returncode)  # -1, of which Wine keeps the low 8 bits.
        self.assertEqual([], h.tool_records(self.records))


if __name__ == "__main__":
    unittest.main()
