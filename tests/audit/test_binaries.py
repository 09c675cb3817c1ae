"""Audit of the shipped files: what Windows sees in their headers and import tables.
  test_binaries.py <installer.exe> <uninstaller.exe>
"""
import os
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import pe  # noqa: E402

HERE = Path(__file__).resolve().parent
SIZE_BUDGET = 32 * 1024
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "setupapi.dll", "shell32.dll", "msvcrt.dll"}
# Looked up at run time only: absent on some Windows versions the programs must start on.
RUN_TIME_ONLY = {"IsWow64Process", "SetDefaultDllDirectories", "CMP_WaitNoPendingInstallEvents"}
PROGRAMS = {}


def reviewed_imports(name):
    lines = (HERE / f"{name}.imports").read_text().splitlines()
    return sorted(line.strip() for line in lines if line.strip() and not line.startswith("#"))


class BinaryAudit(unittest.TestCase):
    def each(self):
        for name, path in PROGRAMS.items():
            with self.subTest(program=name):
                yield name, path, pe.PeFile(path)

    def test_32bit_windows_gui_program_for_xp_and_later(self):
        for _, _, exe in self.each():
            self.assertEqual(pe.MACHINE_I386, exe.machine, f"machine {exe.machine:#x}")
            self.assertEqual(pe.PE32_MAGIC, exe.magic, f"optional header {exe.magic:#x}")
            self.assertEqual(pe.SUBSYSTEM_WINDOWS_GUI, exe.subsystem)
            self.assertLessEqual((exe.major_subsystem, exe.minor_subsystem), (5, 1))
            self.assertLessEqual((exe.major_os, exe.minor_os), (5, 1))

    def test_aslr_and_dep(self):
        for _, _, exe in self.each():
            wanted = pe.DYNAMIC_BASE | pe.NX_COMPAT
            self.assertEqual(wanted, exe.dll_characteristics & wanted,
                             f"DllCharacteristics {exe.dll_characteristics:#06x}")

    def test_no_resources(self):
        for _, _, exe in self.each():
            self.assertEqual((0, 0), exe.directory(pe.RESOURCE_DIRECTORY))
            self.assertNotIn(".rsrc", [section[0] for section in exe.sections])

    def test_imports_are_the_reviewed_ones(self):
        for name, _, exe in self.each():
            imports = exe.imports()
            self.assertLessEqual({dll.lower() for dll in imports}, SYSTEM_DLLS)
            found = sorted(f"{dll}!{function}" for dll, functions in imports.items()
                           for function in functions)
            self.assertEqual(set(), RUN_TIME_ONLY & {f.split("!")[1] for f in found})
            reviewed = reviewed_imports(name)
            self.assertEqual(reviewed, found, "\nnew: " + ", ".join(sorted(set(found) - set(reviewed))) +
                             "\ngone: " + ", ".join(sorted(set(reviewed) - set(found))))

    def test_size_budget(self):
        for _, path, _ in self.each():
            self.assertLessEqual(os.path.getsize(path), SIZE_BUDGET)

    def test_no_time_stamp_or_build_path(self):
        for _, path, exe in self.each():
            self.assertEqual(0, exe.timestamp)
            data = Path(path).read_bytes()
            for marker in (b"/tmp/", b"/work/", b"/home/", b"/root/", b".cc\0", b".c\0"):
                self.assertNotIn(marker, data)


if __name__ == "__main__":
    PROGRAMS["installer"], PROGRAMS["uninstaller"] = sys.argv[1:3]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
