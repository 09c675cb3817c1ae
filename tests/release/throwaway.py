"""Throwaway signing material for the tests, made with openssl in a test's own folder and never
kept: a self-signed code-signing certificate with its key, the same pair as a PKCS#12 file, and an
unrelated certificate and key."""
import subprocess
import sys
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[2]
PASSWORD = "correct horse"
SIGNER = "CN=Test Vendor"


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def certificate(folder, name, subject):
    cert, key = folder / f"{name}.pem", folder / f"{name}.key"
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key), "-out", str(cert),
            "-days", "30", "-subj", subject, "-addext", "extendedKeyUsage=codeSigning")
    return cert, key


def make(folder):
    """Makes the material in |folder|; returns a dict of paths."""
    folder = Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    cert, key = certificate(folder, "vendor", "/" + SIGNER)
    other_cert, other_key = certificate(folder, "other", "/CN=Someone Else")
    p12 = folder / "vendor.p12"
    openssl("pkcs12", "-export", "-in", str(cert), "-inkey", str(key), "-out", str(p12),
            "-passout", f"pass:{PASSWORD}")
    return dict(cert=cert, key=key, p12=p12, other_cert=other_cert, other_key=other_key)


def package(build, out, *signing, env=None):
    """Runs the package step on |build| into |out|; returns the finished process."""
    return subprocess.run([sys.executable, str(SOURCE / "tools" / "package.py"), "--build",
                           str(build), "--out", str(out), *map(str, signing)], env=env, text=True,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
