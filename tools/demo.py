"""Runs the built installer.exe and uninstaller.exe under Wine in a driver package folder beside the
stand-in tool, on a 64-bit and a 32-bit Windows, and says what each did."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "wine"))
import harness as h  # noqa: E402


def show_tools(records):
    for record in sorted(records, key=lambda r: r["cmdline"]):
        print(f"    started   {record['cmdline']}")
        print(f"    in        {record['cwd']}")


def main():
    h.exit_unless_wine_runs("demo")
    print("Starting Wine (two prefixes and a virtual display; the first run creates them)...")
    h.start_session()
    try:
        for arch, label in (("win64", "64-bit"), ("win32", "32-bit")):
            for tool_exit in (0x00000000, 0x80000000):
                case = h.new_case_dir(f"demo-{arch}-{tool_exit:08x}")
                package = h.lay_package(case / "USB Driver Package")
                records = case / "records"
                records.mkdir()
                env = dict(FAKE_TOOL_RECORD_DIR=h.win_path(records),
                           FAKE_TOOL_EXIT=f"0x{tool_exit:08X}",
                           FAKE_SETUPAPI_LOG=h.win_path(case / "setupapi.log"))
                print(f"\n{label} Windows, installer.exe in {h.win_path(package)}"
                      f" (the tool will exit with 0x{tool_exit:08X})")
                report = h.run(arch, [h.win_path(package / "installer.exe")], **env)
                show_tools(h.tool_records(records))
                print(f"    setup log {len(h.setup_log(case / 'setupapi.log')) // 2} probes,"
                      f" notices shown: {report['boxes']}")
                print(f"    installer exit code {report['exit']}")

            print(f"\n{label} Windows, uninstaller.exe in {h.win_path(package)}")
            for old in records.iterdir():
                old.unlink()
            report = h.run(arch, [h.win_path(package / "uninstaller.exe")],
                           FAKE_TOOL_RECORD_DIR=h.win_path(records))
            show_tools(h.wait_for_records(records, 2))
            print(f"    uninstaller exit code {report['exit']}")
    finally:
        h.stop_session()
    print(f"\nEverything the runs left is under {h.WORK / 'cases'}.")


if __name__ == "__main__":
    main()
