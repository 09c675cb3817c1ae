"""Makes the ship-ready folder and ZIP from a Windows build, signing the programs first when asked.

  package.py --build DIR --out DIR [--sign CERT KEY | --pkcs12 FILE] [--timestamp URL]

Writes OUT/usb-driver-launchers/ (installer.exe, uninstaller.exe, INTEGRATORS.txt, SHA256SUMS) and
OUT/usb-driver-launchers.zip. With --sign (a PEM certificate, its chain after it, and a PEM private
key) or --pkcs12, both programs get an Authenticode signature (SHA-256) with their own description,
and are checked before they are packed: the signature must verify, name the given certificate and,
removed again, give back the built program byte for byte. The password of the PKCS#12 file, or of
an encrypted key, is read from the environment variable LAUNCH_SIGN_PASSWORD only. --timestamp
passes an RFC 3161 time-stamp server to the signing.

Everything is made in a scratch folder and moved into place only when all of it succeeded; any
earlier package in OUT is removed first, so a failure leaves no package at all. Exit code 0 on
success, 1 with one "package: error: ..." line on failure, 2 for wrong arguments.
"""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import authenticode  # noqa: E402

NAME = "usb-driver-launchers"
FILES = ("installer.exe", "uninstaller.exe", "INTEGRATORS.txt")
PASSWORD = "LAUNCH_SIGN_PASSWORD"
SOURCE = Path(__file__).resolve().parent.parent


class Failure(Exception):
    pass


def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          **kwargs)


def last_error(result):
    """The last line of a command's messages: where openssl and osslsigncode say what went wrong."""
    lines = [line for line in (result.stderr + result.stdout).splitlines()
             if line.strip() and line.strip() not in ("Failed", "Succeeded")]
    return lines[-1].strip() if lines else f"exit code {result.returncode}"


def passin():
    # openssl reads the password from the environment by the variable's name, never from argv.
    return "env:" + PASSWORD if PASSWORD in os.environ else "pass:"


def readable(path, what):
    path = Path(path)
    if not path.is_file():
        raise Failure(f"the {what} {path} does not exist")
    try:
        path.read_bytes()
    except OSError as error:
        raise Failure(f"cannot read the {what} {path}: {error.strerror}") from None
    return path


def der_certificate(pem, what):
    """The first certificate of |pem| (the text of a PEM file) in DER."""
    result = subprocess.run(["openssl", "x509", "-outform", "DER"], input=pem.encode(),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise Failure(f"the {what} holds no PEM certificate")
    return result.stdout


def public_key(command, what):
    result = run(command)
    if result.returncode != 0:
        raise Failure(f"cannot read the {what}: {last_error(result)}")
    return result.stdout


def signing_identity(args, scratch):
    """Checks the signing inputs before anything is signed. Returns (osslsigncode options, DER of
    the certificate the signatures must name)."""
    if args.pkcs12:
        p12 = readable(args.pkcs12, "PKCS#12 file")
        leaf = scratch / "leaf.pem"
        result = run(["openssl", "pkcs12", "-in", str(p12), "-passin", passin(), "-nokeys",
                      "-clcerts", "-out", str(leaf)])
        if result.returncode != 0:
            # PKCS#12 files exported by older Windows use algorithms OpenSSL 3 keeps apart.
            result = run(["openssl", "pkcs12", "-legacy", "-in", str(p12), "-passin", passin(),
                          "-nokeys", "-clcerts", "-out", str(leaf)])
        if result.returncode != 0:
            raise Failure(f"cannot open the PKCS#12 file {p12}: wrong password in {PASSWORD}, or "
                          f"not a PKCS#12 file ({last_error(result)})")
        return ["-pkcs12", str(p12)], der_certificate(leaf.read_text(), f"PKCS#12 file {p12}")
    cert = readable(args.sign[0], "certificate")
    key = readable(args.sign[1], "private key")
    certificate = der_certificate(cert.read_text(errors="replace"), f"certificate {cert}")
    cert_key = public_key(["openssl", "x509", "-in", str(cert), "-noout", "-pubkey"],
                          f"certificate {cert}")
    key_key = public_key(["openssl", "pkey", "-in", str(key), "-passin", passin(), "-pubout"],
                         f"private key {key} (encrypted keys take their password from {PASSWORD})")
    if cert_key != key_key:
        raise Failure(f"the private key {key} does not match the certificate {cert}")
    return ["-certs", str(cert), "-key", str(key)], certificate


def sign(program, options, certificate, timestamp):
    """Signs |program| in place, after checking the signed file."""
    signed = program.with_name(program.name + ".signed")
    command = ["osslsigncode", "sign", *options, "-h", "sha256",
               "-n", authenticode.DESCRIPTIONS[program.name]]
    if timestamp:
        command += ["-ts", timestamp]
    password = os.environ.get(PASSWORD)
    if password is not None:
        command += ["-readpass", "/dev/stdin"]
    result = run(command + ["-in", str(program), "-out", str(signed)], input=password or "")
    if result.returncode != 0 or not signed.exists():
        raise Failure(f"osslsigncode could not sign {program.name}: {last_error(result)}")
    verdict = authenticode.check(signed)
    if not verdict["signed"] or not verdict["intact"]:
        raise Failure(f"the signature of {program.name} does not verify: "
                      f"{verdict.get('problem') or 'no signature'}")
    if der_certificate(verdict["signer_pem"], "signature") != certificate:
        raise Failure(f"{program.name} was signed by {verdict['signer']}, not the given certificate")
    if authenticode.unsigned_bytes(signed) != program.read_bytes():
        raise Failure(f"{program.name} without its signature differs from the built program")
    signed.replace(program)
    return verdict["signer"]


def zip_time():
    """The ZIP's time stamp: that of the source's last commit, so that the same source and the same
    signed files give the same ZIP."""
    result = run(["git", "-C", str(SOURCE), "log", "-1", "--format=%ct"])
    stamp = int(result.stdout.strip()) if result.returncode == 0 and result.stdout.strip() else 0
    return time.gmtime(max(stamp, 315532800))[:6]  # ZIP times start in 1980.


def make(args):
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    folder, archive = out / NAME, out / f"{NAME}.zip"
    shutil.rmtree(folder, ignore_errors=True)
    archive.unlink(missing_ok=True)
    with tempfile.TemporaryDirectory(dir=out, prefix=".staging-") as scratch:
        scratch = Path(scratch)
        signing = None
        if args.sign or args.pkcs12:
            signing = signing_identity(args, scratch)
        stage = scratch / NAME
        result = run(["cmake", "--install", str(args.build), "--prefix", str(stage)])
        if result.returncode != 0:
            raise Failure(f"cannot install from the build {args.build}: {last_error(result)}")
        signers = {}
        if signing:
            for program in authenticode.DESCRIPTIONS:
                signers[program] = sign(stage / program, *signing, args.timestamp)
        sums = "".join(f"{hashlib.sha256((stage / f).read_bytes()).hexdigest()}  {f}\n"
                       for f in FILES)
        (stage / "SHA256SUMS").write_text(sums)
        staged_zip = scratch / archive.name
        with zipfile.ZipFile(staged_zip, "w", zipfile.ZIP_DEFLATED) as z:
            for name in (*FILES, "SHA256SUMS"):
                entry = zipfile.ZipInfo(f"{NAME}/{name}", zip_time())
                entry.external_attr = 0o644 << 16
                entry.compress_type = zipfile.ZIP_DEFLATED
                z.writestr(entry, (stage / name).read_bytes())
        stage.rename(folder)
        staged_zip.rename(archive)
    for name in (*FILES, "SHA256SUMS"):
        note = f"  signed by {signers[name]}" if name in signers else ""
        print(f"{(folder / name).stat().st_size:>8}  {folder / name}{note}")
    print(f"{archive.stat().st_size:>8}  {archive}")


def main(argv):
    parser = argparse.ArgumentParser(prog="package", description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", required=True, help="the Windows build folder")
    parser.add_argument("--out", required=True, help="where the folder and the ZIP go")
    how = parser.add_mutually_exclusive_group()
    how.add_argument("--sign", nargs=2, metavar=("CERT", "KEY"),
                     help="PEM certificate (its chain after it) and PEM private key")
    how.add_argument("--pkcs12", metavar="FILE", help=f"PKCS#12 file; password in {PASSWORD}")
    parser.add_argument("--timestamp", metavar="URL", help="RFC 3161 time-stamp server")
    args = parser.parse_args(argv)
    if args.timestamp and not (args.sign or args.pkcs12):
        parser.error("--timestamp needs --sign or --pkcs12")
    try:
        make(args)
    except (Failure, authenticode.Error) as error:
        print(f"package: error: {error}; no package was made", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
