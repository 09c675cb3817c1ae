"""A reader for the few fields of a 32-bit PE file that the audit checks."""
import struct

MACHINE_I386 = 0x014C
PE32_MAGIC = 0x10B
SUBSYSTEM_WINDOWS_GUI = 2
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100
IMPORT_DIRECTORY = 1
RESOURCE_DIRECTORY = 2


class PeFile:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, self.timestamp, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", d, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", d, opt)[0]
        (self.major_os, self.minor_os, _, _, self.major_subsystem,
         self.minor_subsystem) = struct.unpack_from("<HHHHHH", d, opt + 40)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", d, opt + 68)
        count = struct.unpack_from("<I", d, opt + 92)[0]
        self.directories = [struct.unpack_from("<II", d, opt + 96 + 8 * i) for i in range(count)]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, rva, raw_size, raw = struct.unpack_from("<8sIIII", d, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), rva, max(vsize, raw_size), raw))

    def offset(self, rva):
        for _, start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    def cstring(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        """{dll name as written: [function names, or '#ordinal']}"""
        rva, _ = self.directory(IMPORT_DIRECTORY)
        result = {}
        if not rva:
            return result
        at = self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if not (lookup or name or thunks):
                break
            functions = []
            entry = self.offset(lookup or thunks)
            while True:
                value = struct.unpack_from("<I", self.data, entry)[0]
                if not value:
                    break
                if value & 0x80000000:
                    functions.append(f"#{value & 0xFFFF}")
                else:
                    functions.append(self.cstring(value + 2))  # past the hint
                entry += 4
            result[self.cstring(name)] = functions
            at += 20
        return result
