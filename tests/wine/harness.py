"""Helpers for the Wine tests: the shared Wine session (prefixes and a virtual display), driver
package folders laid out with the stand-in tool, and runs of the real programs through runner.exe.

Environment (set by CTest):
  LAUNCH_WINDOWS_BIN  the cross build: installer/, uninstaller/ and fixtures/ below it
  LAUNCH_WINE_WORK    folder for the prefixes, the display and every test's files
Environment (set by a person or by tools/test.sh):
  LAUNCH_ASSUME_NO_32BIT=1   act as on a machine whose kernel runs no 32-bit program
  LAUNCH_REQUIRE_WINE=1      fail instead of skipping where Wine cannot run the programs
  LAUNCH_WINE_UNAVAILABLE    the decision tools/test.sh made once for the whole run: empty where
                             Wine can run the programs, else the reason it cannot
"""
import errno
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

BIN = Path(os.environ.get("LAUNCH_WINDOWS_BIN", "build/windows")).resolve()
WORK = Path(os.environ.get("LAUNCH_WINE_WORK", "build/wine")).resolve()
PREFIXES = {"win64": WORK / "prefix64", "win32": WORK / "prefix32"}
DISPLAY_FILE = WORK / "display"
XVFB_PID_FILE = WORK / "xvfb.pid"

INSTALLER = BIN / "installer" / "installer.exe"
UNINSTALLER = BIN / "uninstaller" / "uninstaller.exe"
FIXTURES = BIN / "fixtures"
RUNNER = FIXTURES / "runner.exe"

ENGLISH = "en_US.UTF-8"
CHINESE = "zh_CN.UTF-8"
TAIWAN = "zh_TW.UTF-8"
CODE_PAGES = {ENGLISH: "cp1252", CHINESE: "gbk", TAIWAN: "cp950"}


# --- whether Wine can run 32-bit programs on this machine ---------------------------------------

# Debian's Wine starts every 32-bit Windows program through this 32-bit x86 Linux program, so it
# runs exactly where 32-bit Windows programs can.
WINE_32BIT_LOADER = "/usr/lib/wine/wine"
HELP = "run them on a machine or VM whose kernel runs 32-bit x86 programs (IA32 emulation)"


def probe_32bit_loader():
    """None when Wine's 32-bit loader starts here, else the reason it does not. Only the kernel's
    refusal of a 32-bit program counts as a reason: any other failure is left to the Wine tests,
    which then fail and show it."""
    try:
        result = subprocess.run([WINE_32BIT_LOADER, "--version"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, timeout=60)
    except OSError as error:
        if error.errno != errno.ENOEXEC:
            return None
        refusal = "Exec format error"
    else:
        if result.returncode != 126:
            return None
        refusal = "exit 126"
    return (f"this machine's kernel runs no 32-bit x86 program ({WINE_32BIT_LOADER} --version: "
            f"{refusal}), so Wine cannot run the 32-bit installer.exe and uninstaller.exe; {HELP}")


def wine_unavailable():
    """None when Wine can run the programs here, else one line that says why not and what would
    help. tools/test.sh decides once per run and hands the answer down in LAUNCH_WINE_UNAVAILABLE;
    without it the loader is probed here."""
    if os.environ.get("LAUNCH_ASSUME_NO_32BIT") == "1":
        return ("LAUNCH_ASSUME_NO_32BIT=1 treats this machine as one whose kernel runs no 32-bit x86 "
                f"program, so Wine cannot run the 32-bit installer.exe and uninstaller.exe; {HELP}")
    if "LAUNCH_WINE_UNAVAILABLE" in os.environ:
        return os.environ["LAUNCH_WINE_UNAVAILABLE"] or None
    return probe_32bit_loader()


def wine_required():
    return os.environ.get("LAUNCH_REQUIRE_WINE") == "1"


NO_WINE_EXIT = 3  # Exit code of the demo and the benchmark where Wine cannot run the programs.


def exit_unless_wine_runs(program):
    """Ends |program| (the demo, the benchmark) with NO_WINE_EXIT and the reason before it takes
    any Wine step, where Wine cannot run the programs."""
    reason = wine_unavailable()
    if reason:
        print(f"{program}: stopped before running anything under Wine: {reason}", flush=True)
        sys.exit(NO_WINE_EXIT)


def win_path(path):
    """The Windows name of a Unix path, through Wine's Z: drive."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wine_env(arch, locale=ENGLISH, **extra):
    env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "WINE", "FAKE_", "RUNNER_"))}
    env.update(
        WINEPREFIX=str(PREFIXES[arch]),
        WINEARCH=arch,
        WINEDEBUG="-all",
        # Our setup services beside the program; no Mono or Gecko installer prompts.
        WINEDLLOVERRIDES="setupapi=n,b;mscoree,mshtml=",
        LC_ALL=locale,
        LANG=locale,
    )
    if DISPLAY_FILE.exists():
        env["DISPLAY"] = DISPLAY_FILE.read_text().strip()
    env.update({k: str(v) for k, v in extra.items()})
    return env


# --- the session: created once per test run by the CTest fixture ------------------------------

def free_display():
    for number in range(90, 200):
        if not Path(f"/tmp/.X{number}-lock").exists() and not Path(f"/tmp/.X11-unix/X{number}").exists():
            return f":{number}"
    raise RuntimeError("no free X display number")


def start_session():
    WORK.mkdir(parents=True, exist_ok=True)
    stop_session()
    display = free_display()
    xvfb = subprocess.Popen(["Xvfb", display, "-nolisten", "tcp", "-screen", "0", "1024x768x24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    XVFB_PID_FILE.write_text(str(xvfb.pid))
    DISPLAY_FILE.write_text(display)
    # Both prefixes at once: each takes most of a minute on its own.
    boots = []
    for arch, prefix in PREFIXES.items():
        if not (prefix / "system.reg").exists():
            shutil.rmtree(prefix, ignore_errors=True)
        env = wine_env(arch)
        boots.append((arch, env, subprocess.Popen(["wineboot", "-i"], env=env,
                                                  stdout=subprocess.DEVNULL,
                                                  stderr=subprocess.DEVNULL)))
    for arch, env, boot in boots:
        if boot.wait(timeout=300) != 0:
            raise RuntimeError(f"wineboot failed for the {arch} prefix")
        # A virtual desktop: Wine then draws window frames itself, so that a screenshot of a
        # notice shows its caption even though no window manager runs on the display.
        for key, value, data in (("Explorer", "Desktop", "Default"),
                                 ("Explorer\\Desktops", "Default", "800x600")):
            subprocess.run(["wine", "reg", "add", f"HKCU\\Software\\Wine\\{key}", "/v", value,
                            "/d", data, "/f"], env=env, timeout=120, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, timeout=300, check=True)
    deadline = time.time() + 10
    while not Path(f"/tmp/.X11-unix/X{display[1:]}").exists():
        if time.time() > deadline:
            raise RuntimeError("Xvfb did not start")
        time.sleep(0.1)


def stop_session():
    for arch in PREFIXES:
        if PREFIXES[arch].exists():
            subprocess.run(["wineserver", "-k"], env=wine_env(arch), stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)
    if XVFB_PID_FILE.exists():
        try:
            os.kill(int(XVFB_PID_FILE.read_text()), 15)
        except (ValueError, ProcessLookupError):
            pass
        XVFB_PID_FILE.unlink()
    if DISPLAY_FILE.exists():
        DISPLAY_FILE.unlink()


# --- a driver package folder and the runs in it ---------------------------------------------

def new_case_dir(name):
    """A fresh folder for one test, kept after the run for a person to look at."""
    path = WORK / "cases" / name
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


def lay_package(folder, tools=("32", "64"), setupapi=True, programs=True):
    """Copies the programs and the stand-ins into |folder| as a vendor would ship them."""
    folder = Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    if programs:
        shutil.copy(INSTALLER, folder)
        shutil.copy(UNINSTALLER, folder)
    for build in tools:
        shutil.copy(FIXTURES / f"DPInst{build}.exe", folder)
    if setupapi:
        shutil.copy(FIXTURES / "setupapi.dll", folder)
    return folder


def parse_report(text):
    report = {}
    for line in text.splitlines():
        key, sep, value = line.partition("=")
        if sep:
            report[key.strip()] = value.rstrip("\r")
    return report


def run(arch, command, locale=ENGLISH, cwd=None, timeout=60, **env):
    """Runs |command| (a list: the program's Windows path and its arguments) through runner.exe and
    returns its report. FAKE_* and RUNNER_* settings go in |env|."""
    if cwd is not None:
        env["RUNNER_CWD"] = win_path(cwd)
    # The report goes through a file, not a pipe: tool instances that outlive the program keep a
    # pipe open, and reading it to its end would wait for them too.
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", str(RUNNER), *command], env=wine_env(arch, locale, **env),
                       stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        text = out.read().decode("utf-8", "replace")
    report = parse_report(text)
    if "exit" not in report and "start_error" not in report:
        raise AssertionError(f"runner reported nothing: {text!r}")
    return report


def tool_records(record_dir, locale=ENGLISH):
    """The records of every tool instance started so far, in no particular order."""
    records = []
    for path in sorted(Path(record_dir).glob("tool-*.txt")):
        text = path.read_bytes().decode(CODE_PAGES[locale])
        records.append(parse_report(text))
    return records


def wait_for_records(record_dir, count, timeout=20):
    deadline = time.time() + timeout
    while len(list(Path(record_dir).glob("tool-*.txt"))) < count and time.time() < deadline:
        time.sleep(0.05)
    return tool_records(record_dir)


def ended_tools(record_dir):
    """How many tool instances have ended so far."""
    return len(list(Path(record_dir).glob("tool-*.end")))


def screenshot(display, path, rect=None, margin=12):
    """Saves the screen, or the part of it around |rect| ("left,top,right,bottom"), as a PNG."""
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-display", display, "-window", "root", str(path)], check=True,
                   timeout=30, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if rect:
        left, top, right, bottom = (int(v) for v in rect.split(","))
        left, top = max(left - margin, 0), max(top - margin, 0)
        width, height = right + margin - left, bottom + margin - top
        subprocess.run(["convert", str(path), "-crop", f"{width}x{height}+{left}+{top}", "+repage",
                        str(path)], check=True, timeout=30)


def setup_log(path):
    path = Path(path)
    return path.read_text().splitlines() if path.exists() else []


class PackageTest(unittest.TestCase):
    """A test that lays out a driver package in a case folder of its own."""

    def case(self, package_name="pkg", **lay):
        """The case folder, a driver package in it, a folder for the tool's records and the path of
        the setup services' log. Returns the package folder."""
        self.dir = new_case_dir(self.id().split(".", 1)[1])
        self.package = lay_package(self.dir / package_name, **lay)
        self.records = self.dir / "records"
        self.records.mkdir()
        self.log = self.dir / "setupapi.log"
        return self.package

    def use_signed_programs(self):
        """Replaces the programs in the package with copies signed by the package step, with a
        throwaway certificate made for this case."""
        sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "release"))
        import throwaway
        keys = throwaway.make(self.dir / "keys")
        result = throwaway.package(BIN, self.dir / "signed", "--sign", keys["cert"], keys["key"])
        self.assertEqual(0, result.returncode, result.stderr)
        for program in (INSTALLER, UNINSTALLER):
            signed = self.dir / "signed" / "usb-driver-launchers" / program.name
            self.assertGreater(signed.stat().st_size, program.stat().st_size)
            shutil.copy(signed, self.package / program.name)

    def fake_env(self, **extra):
        """Settings of the stand-ins that record into this case's folder."""
        env = dict(FAKE_TOOL_RECORD_DIR=win_path(self.records), FAKE_SETUPAPI_LOG=win_path(self.log))
        env.update(extra)
        return env
