"""Benchmark of the shipped programs under Wine: sizes, start-and-wait overhead against a minimal
launcher, and the pending-installation guard's probe rate. Prints a Markdown table; figures only,
nothing is asserted.
  LAUNCH_WINDOWS_BIN=build/windows LAUNCH_WINE_WORK=build/wine python3 tools/bench.py [rounds]
"""
import os
import platform
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "wine"))
import harness as h  # noqa: E402


def kib(path):
    return f"{os.path.getsize(path) / 1024:.1f} KiB ({os.path.getsize(path)} bytes)"


def elapsed_us(command, **env):
    report = h.run("win64", command, **env)
    assert report["exit"] == "0x00000001" or report["exit"] == "0x00000000", report
    return int(report["elapsed_us"])


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 15
    h.exit_unless_wine_runs("bench")
    h.start_session()
    try:
        case = h.new_case_dir("bench")
        package = h.lay_package(case / "pkg")
        minimal = package / "minimal_launcher.exe"
        minimal.write_bytes((h.FIXTURES / "minimal_launcher.exe").read_bytes())
        tool = f"{h.win_path(package)}\\DPInst64.exe"
        installer = [h.win_path(package / "installer.exe")]
        baseline = [h.win_path(minimal), tool, "/LM", "/C"]  # No spaces in the path.

        # Warm the prefix, then interleave the two so that drift hits both alike.
        elapsed_us(installer)
        elapsed_us(baseline)
        ours, theirs = [], []
        for _ in range(rounds):
            ours.append(elapsed_us(installer))
            theirs.append(elapsed_us(baseline))
        ratios = [a / b for a, b in zip(ours, theirs)]

        probes = 2000000
        idle = statistics.median(elapsed_us(installer, FAKE_SETUPAPI_SCRIPT="0,0") for _ in range(3))
        busy = statistics.median(
            elapsed_us(installer, FAKE_SETUPAPI_SCRIPT=f"0,258*{probes},0") for _ in range(3))
        print(f"probe runs: idle {idle} us, busy {busy} us", file=sys.stderr)
        rate = probes / max(busy - idle, 1) * 1e6
    finally:
        h.stop_session()

    rows = [
        ("installer.exe size", kib(h.INSTALLER)),
        ("uninstaller.exe size", kib(h.UNINSTALLER)),
        ("floor: empty WinMain, same flags", kib(h.FIXTURES / "floor.exe")),
        ("installer start-and-wait of the stand-in tool, median",
         f"{statistics.median(ours) / 1000:.1f} ms"),
        ("minimal launcher (CreateProcessA + wait), median",
         f"{statistics.median(theirs) / 1000:.1f} ms"),
        (f"ratio installer / minimal launcher, median of {rounds} interleaved pairs",
         f"{statistics.median(ratios):.2f}"),
        ("guard probes per second while an installation stays pending", f"{rate:,.0f}"),
    ]
    cpu = "unknown processor"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    print(f"Measured {time.strftime('%Y-%m-%d')} on {os.cpu_count()} cores of {cpu}, "
          f"{platform.system()} {platform.release()}, {wine}, 64-bit prefix.\n")
    print("| figure | value |\n|---|---|")
    for name, value in rows:
        print(f"| {name} | {value} |")


if __name__ == "__main__":
    main()
