"""Reading and checking the Authenticode signature of the shipped programs, for the package step
(after signing) and for tools/verify-release.sh.

The integrity check needs no trusted root: the file's own Authenticode hash must equal the digest
the signature holds, and the signer's signature over that digest must verify with the signer's
certificate (openssl). Whether that certificate chains to a trusted root is a separate question,
answered by osslsigncode against a given CA file.
"""
import hashlib
import os
import struct
import subprocess
import tempfile
from pathlib import Path

# The description each program gets in its signature: what the elevation prompt shows as the
# program's name.
DESCRIPTIONS = {"installer.exe": "USB Driver Package Installer",
                "uninstaller.exe": "USB Driver Package Uninstaller"}

DIGESTS = {"2.16.840.1.101.3.4.2.1": "sha256", "2.16.840.1.101.3.4.2.2": "sha384",
           "2.16.840.1.101.3.4.2.3": "sha512", "1.3.14.3.2.26": "sha1", "1.2.840.113549.2.5": "md5"}
SPC_INDIRECT_DATA = "1.3.6.1.4.1.311.2.1.4"
SIGNED_DATA = "1.2.840.113549.1.7.2"
CERT_TABLE_ENTRY = 4  # IMAGE_DIRECTORY_ENTRY_SECURITY


class Error(Exception):
    """A file that cannot be checked at all: missing, not a PE file, a malformed signature."""


# --- the PE file ------------------------------------------------------------------------------

def pe_layout(data):
    """Offsets of the PE header fields the signature covers: (checksum offset, offset of the
    certificate table's directory entry, certificate table offset, size). Raises Error for a file
    that is not a PE file."""
    try:
        return read_layout(data)
    except struct.error:
        raise Error("not a PE file (its headers are cut short)") from None


def read_layout(data):
    if data[:2] != b"MZ":
        raise Error("not a PE file (no MZ header)")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if pe + 24 > len(data) or data[pe:pe + 4] != b"PE\0\0":
        raise Error("not a PE file (no PE header)")
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    if magic not in (0x10B, 0x20B):
        raise Error("not a PE file (unknown optional header)")
    directories = optional + (96 if magic == 0x10B else 112)
    entry = directories + 8 * CERT_TABLE_ENTRY
    count = struct.unpack_from("<I", data, directories - 4)[0]
    if count <= CERT_TABLE_ENTRY or entry + 8 > len(data):
        raise Error("not a PE file (no certificate table entry)")
    table, size = struct.unpack_from("<II", data, entry)
    if size and (size < 8 or table + size > len(data) or table < entry + 8):
        raise Error("malformed certificate table")
    return optional + 64, entry, table, size


def authenticode_hash(data, layout, algorithm):
    """The Authenticode hash of the file: everything but the checksum, the certificate table's
    directory entry and the certificate table itself."""
    checksum, entry, table, size = layout
    end = table if size else len(data)
    digest = hashlib.new(algorithm)
    digest.update(data[:checksum])
    digest.update(data[checksum + 4:entry])
    digest.update(data[entry + 8:end])
    if size:
        digest.update(data[table + size:])
    return digest.digest()


# --- just enough DER to find the signed digest ---------------------------------------------------

def der(data, pos):
    """(tag, start of the value, end of the value) of the DER element at |pos|."""
    if pos + 2 > len(data):
        raise Error("malformed signature")
    tag, length = data[pos], data[pos + 1]
    pos += 2
    if length & 0x80:
        count = length & 0x7F
        if count == 0 or count > 4 or pos + count > len(data):
            raise Error("malformed signature")
        length = int.from_bytes(data[pos:pos + count], "big")
        pos += count
    if pos + length > len(data):
        raise Error("malformed signature")
    return tag, pos, pos + length


def children(data, start, end):
    items = []
    while start < end:
        item = der(data, start)
        items.append(item)
        start = item[2]
    return items


def oid(data, element):
    tag, start, end = element
    if tag != 0x06 or start == end:
        raise Error("malformed signature")
    value = data[start:end]
    parts = [value[0] // 40, value[0] % 40]
    number = 0
    for byte in value[1:]:
        number = (number << 7) | (byte & 0x7F)
        if not byte & 0x80:
            parts.append(number)
            number = 0
    return ".".join(str(p) for p in parts)


def signed_content(pkcs7):
    """From the PKCS#7 SignedData of an Authenticode signature: (digest algorithm, the file digest
    it holds, the SpcIndirectDataContent without its own tag and length, which is what the
    signer's message digest covers)."""
    try:
        _, start, end = der(pkcs7, 0)
        content_type, explicit = children(pkcs7, start, end)[:2]
        if oid(pkcs7, content_type) != SIGNED_DATA:
            raise Error("the signature is not PKCS#7 signed data")
        _, start, end = der(pkcs7, explicit[1])
        inner = children(pkcs7, start, end)[2]  # version, digest algorithms, content info
        inner_type, inner_explicit = children(pkcs7, inner[1], inner[2])[:2]
        if oid(pkcs7, inner_type) != SPC_INDIRECT_DATA:
            raise Error("the signature is not an Authenticode signature")
        indirect = der(pkcs7, inner_explicit[1])
        digest_info = children(pkcs7, indirect[1], indirect[2])[1]
        algorithm_id, digest = children(pkcs7, digest_info[1], digest_info[2])[:2]
        algorithm = DIGESTS.get(oid(pkcs7, children(pkcs7, algorithm_id[1], algorithm_id[2])[0]))
    except (IndexError, ValueError) as error:
        raise Error("malformed signature") from error
    if algorithm is None:
        raise Error("unknown digest algorithm in the signature")
    return algorithm, pkcs7[digest[1]:digest[2]], pkcs7[indirect[1]:indirect[2]]


def signature_blob(data, layout):
    """The PKCS#7 blob of the first certificate in the table, or None for an unsigned file."""
    _, _, table, size = layout
    if not size:
        return None
    length, revision, kind = struct.unpack_from("<IHH", data, table)
    if kind != 2 or length < 8 or length > size:  # WIN_CERT_TYPE_PKCS_SIGNED_DATA
        raise Error("the certificate table holds no Authenticode signature")
    return data[table + 8:table + length]


# --- the verdict ------------------------------------------------------------------------------

def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          **kwargs)


def check(path, ca_file=None):
    """Checks the signature of |path|. Returns a dict: signed (bool); when signed, signer (the
    signer's subject), intact (the file is unchanged since signing and the signature verifies),
    chain (None without |ca_file|, else whether the signing certificate chains to it) and problem
    (why not, or None). Raises Error for a file that cannot be checked at all."""
    try:
        data = Path(path).read_bytes()
    except FileNotFoundError:
        raise Error("no such file") from None
    except OSError as error:
        raise Error(f"cannot read it ({error.strerror})") from None
    layout = pe_layout(data)
    pkcs7 = signature_blob(data, layout)
    if pkcs7 is None:
        return {"signed": False}
    algorithm, signed_digest, content = signed_content(pkcs7)
    verdict = {"signed": True, "signer": None, "intact": False, "chain": None, "problem": None}
    with tempfile.TemporaryDirectory() as scratch:
        scratch = Path(scratch)
        (scratch / "sig.der").write_bytes(pkcs7)
        (scratch / "content").write_bytes(content)
        # The signer's signature over the message digest, and that digest over the content; no
        # chain (-noverify). Also hands back the signer's certificate.
        smime = run(["openssl", "smime", "-verify", "-noverify", "-binary", "-inform", "DER",
                     "-in", str(scratch / "sig.der"), "-content", str(scratch / "content"),
                     "-signer", str(scratch / "signer.pem"), "-out", os.devnull])
        if (scratch / "signer.pem").exists():
            subject = run(["openssl", "x509", "-noout", "-subject", "-nameopt", "RFC2253",
                           "-in", str(scratch / "signer.pem")])
            verdict["signer"] = subject.stdout.strip().removeprefix("subject=") or None
            verdict["signer_pem"] = (scratch / "signer.pem").read_text()
    if authenticode_hash(data, layout, algorithm) != signed_digest:
        verdict["problem"] = "the file was changed after it was signed"
    elif smime.returncode != 0:
        verdict["problem"] = "the signature does not verify with the signer's certificate"
    else:
        verdict["intact"] = True
    if ca_file is not None and verdict["intact"]:
        chain = run(["osslsigncode", "verify", "-CAfile", str(ca_file), "-in", str(path)])
        verdict["chain"] = chain.returncode == 0
        if not verdict["chain"]:
            verdict["problem"] = f"the signing certificate does not chain to {ca_file}"
    return verdict


def unsigned_bytes(path):
    """The bytes of |path| with its signature removed (osslsigncode remove-signature gives back the
    file as it was before signing), or the file itself when it is not signed."""
    data = Path(path).read_bytes()
    if signature_blob(data, pe_layout(data)) is None:
        return data
    with tempfile.TemporaryDirectory() as scratch:
        out = Path(scratch) / "unsigned.exe"
        result = run(["osslsigncode", "remove-signature", "-in", str(path), "-out", str(out)])
        if result.returncode != 0 or not out.exists():
            raise Error("osslsigncode could not remove the signature")
        return out.read_bytes()
