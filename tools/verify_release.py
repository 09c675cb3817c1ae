"""Tells whether shipped installer.exe and uninstaller.exe files were built from this source.

  verify_release.py --build DIR [--ca CAFILE] FILE...

For each file: who signed it and whether the signature is valid (its chain checked against CAFILE
when given; without it, the file's integrity and the signature itself, and the line says that the
chain was not checked), then whether the file without its signature equals this checkout's build of
the program of the same name. One line per file; exit code 0 only when every file is validly signed
and built from this source, 1 otherwise, 2 for wrong arguments.
"""
import argparse
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import authenticode  # noqa: E402

SOURCE = Path(__file__).resolve().parent.parent
BUILT = {"installer.exe": Path("installer") / "installer.exe",
         "uninstaller.exe": Path("uninstaller") / "uninstaller.exe"}


def source_revision():
    """The commit the checkout is at, and whether its files differ from it."""
    head = subprocess.run(["git", "-C", str(SOURCE), "rev-parse", "HEAD"], text=True,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    if head.returncode != 0:
        return "commit unknown: not a git checkout"
    status = subprocess.run(["git", "-C", str(SOURCE), "status", "--porcelain"], text=True,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    dirty = " with uncommitted changes" if status.stdout.strip() else ""
    return f"commit {head.stdout.strip()}{dirty}"


def signature_words(verdict, ca_file):
    """(valid, the words of the line about the signature)."""
    if not verdict["signed"]:
        return False, "not signed"
    signer = f"signed by {verdict['signer'] or 'an unreadable certificate'}"
    if not verdict["intact"]:
        return False, f"{signer}; signature INVALID: {verdict['problem']}"
    if ca_file is None:
        return True, f"{signer}; signature valid (chain not checked: no --ca given)"
    if not verdict["chain"]:
        return False, f"{signer}; signature INVALID: {verdict['problem']}"
    return True, f"{signer}; signature valid, chain trusted by {ca_file}"


def verify(path, build, ca_file, revision):
    """Prints the line for one file; returns whether it passed."""
    name = Path(path).name
    try:
        program = BUILT.get(name.lower())
        if program is None:
            raise authenticode.Error(f"not one of the programs ({', '.join(BUILT)})")
        verdict = authenticode.check(path, ca_file)
        valid, words = signature_words(verdict, ca_file)
        same = authenticode.unsigned_bytes(path) == (Path(build) / program).read_bytes()
    except authenticode.Error as error:
        print(f"{path}: error: {error}")
        return False
    origin = f"built from this source ({revision})" if same else "differs from this source"
    print(f"{path}: {words}; {origin}")
    return valid and same


def main(argv):
    parser = argparse.ArgumentParser(prog="verify-release", description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, help="this checkout's Windows build folder")
    parser.add_argument("--ca", metavar="CAFILE", help="trusted root certificates, PEM")
    parser.add_argument("files", nargs="+", metavar="FILE")
    args = parser.parse_args(argv)
    if args.ca and not Path(args.ca).is_file():
        parser.error(f"the CA file {args.ca} does not exist")
    for program in BUILT.values():
        if not (Path(args.build) / program).is_file():
            parser.error(f"no build of {program.name} in {args.build}")
    revision = source_revision()
    results = [verify(path, args.build, args.ca, revision) for path in args.files]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
