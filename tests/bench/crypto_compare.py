#!/usr/bin/env python3
"""Sets the figures of bench_crypto (native and under Wine) beside those of
`openssl speed` on the same machine, measured now, and prints the ratios.

Usage: crypto_compare.py NATIVE_OUTPUT WINE_OUTPUT

OpenSSL runs three times for the symmetric rows: with every processor
extension, without AES-NI, and without AES-NI and the SHA extensions (its
generic code). zlib has no openssl figure; the reference there is the
system's zlib at level 6 through Python, fed the same text packet by packet.
"""
import os
import subprocess
import sys
import time
import zlib

BUFFER = 16384
CONFIGS = [  # column title, OPENSSL_ia32cap
    ("openssl", None),
    ("no AES-NI", "~0x200000200000000"),
    ("generic", "~0x200000200000000:~0x20000000"),
]
LEGACY = ["-provider", "legacy", "-provider", "default"]

# Our name, shown name, unit, openssl speed arguments.
SYMMETRIC = [
    ("aes256-cbc-encrypt", "AES-256-CBC", ["-evp", "aes-256-cbc"]),
    ("3des-cbc-encrypt", "3DES-CBC", ["-evp", "des-ede3-cbc"]),
    ("blowfish-cbc-encrypt", "Blowfish-CBC", LEGACY + ["-evp", "bf-cbc"]),
    ("sha1", "SHA-1", ["-evp", "sha1"]),
    ("hmac-sha1", "HMAC-SHA1", ["-hmac", "sha1"]),
    ("md5", "MD5", ["-evp", "md5"]),
]


def read_ours(path):
    figures = {}
    try:
        with open(path) as f:
            for line in f:
                parts = line.split()
                if len(parts) >= 3:
                    try:
                        figures[parts[0]] = float(parts[1])
                    except ValueError:
                        pass
    except OSError:
        pass
    return figures


def openssl(args, ia32cap=None):
    env = dict(os.environ)
    env.pop("OPENSSL_ia32cap", None)
    if ia32cap:
        env["OPENSSL_ia32cap"] = ia32cap
    out = subprocess.run(["openssl", "speed", "-mr", "-elapsed", "-seconds", "1"] + args,
                         env=env, capture_output=True, text=True).stdout
    return [line.split(":") for line in out.splitlines() if line.startswith("+F")]


def openssl_bytes(args, ia32cap):
    for fields in openssl(["-bytes", str(BUFFER)] + args, ia32cap):
        if fields[0] == "+F":
            return float(fields[3]) / 1e6
    return None


def zlib_reference():
    line = b"-rw-r--r--    1 user group   123456 Dec  8 15:27 some file name.txt\n"
    text = (line * (BUFFER // len(line) + 1))[:BUFFER]
    rates = []
    for _ in range(3):
        c = zlib.compressobj(6)
        count, start = 0, time.perf_counter()
        while time.perf_counter() - start < 0.3:
            c.compress(text)
            c.flush(zlib.Z_SYNC_FLUSH)
            count += 1
        rates.append(count * BUFFER / (time.perf_counter() - start) / 1e6)
    return sorted(rates)[1]


def fmt(value):
    return "%10.1f" % value if value is not None else "%10s" % "-"


def ratio(a, b):
    return "%7.2f" % (a / b) if a is not None and b else "%7s" % "-"


def main():
    native, wine = read_ours(sys.argv[1]), read_ours(sys.argv[2])
    rows = []  # name, unit, native, wine, [openssl columns], note
    for key, name, args in SYMMETRIC:
        refs = [openssl_bytes(args, cap) for _, cap in CONFIGS]
        rows.append((name, "MB/s", native.get(key), wine.get(key), refs, ""))
    rows.append(("zlib level 6 (text)", "MB/s", native.get("zlib-compress-text"),
                 wine.get("zlib-compress-text"), [zlib_reference(), None, None], "ref: system zlib"))

    pk = {}
    for fields in openssl(["rsa2048", "rsa4096", "ffdh2048"]):
        if fields[0] == "+F2":
            pk["rsa%s-sign" % fields[2]] = float(fields[3])
            pk["rsa%s-verify" % fields[2]] = float(fields[4])
        elif fields[0] == "+F8":
            pk["ffdh%s" % fields[2]] = float(fields[3])
    twice = lambda v: 2 * v if v else None
    rows += [
        ("modexp 1024-bit", "ops/s", native.get("modexp1024"), wine.get("modexp1024"),
         [twice(pk.get("rsa2048-sign")), None, None], "ref: 2 x rsa2048 sign/s"),
        ("modexp 2048-bit", "ops/s", native.get("modexp2048"), wine.get("modexp2048"),
         [twice(pk.get("rsa4096-sign")), None, None], "ref: 2 x rsa4096 sign/s"),
        ("DH 2048, 320-bit x", "ops/s", native.get("dh2048-x320"), wine.get("dh2048-x320"),
         [pk.get("ffdh2048"), None, None], "ref: ffdh2048, 225-bit x"),
        ("DH 2048, 225-bit x", "ops/s", native.get("dh2048-x225"), wine.get("dh2048-x225"),
         [pk.get("ffdh2048"), None, None], "ref: ffdh2048"),
        ("RSA-2048 sign", "ops/s", native.get("rsa2048-sign"), wine.get("rsa2048-sign"),
         [pk.get("rsa2048-sign"), None, None], ""),
        ("RSA-2048 verify", "ops/s", native.get("rsa2048-verify"), wine.get("rsa2048-verify"),
         [pk.get("rsa2048-verify"), None, None], ""),
    ]

    print()
    print("%-20s %-5s %10s %10s %10s %10s %10s %7s %7s %7s" %
          ("", "unit", "native", "Wine", *[c for c, _ in CONFIGS], "n/ossl", "n/gen", "W/ossl"))
    for name, unit, n, w, refs, note in rows:
        generic = refs[2] if refs[2] is not None else None
        print("%-20s %-5s %s %s %s %s %s %s %s %s  %s" %
              (name, unit, fmt(n), fmt(w), *[fmt(r) for r in refs],
               ratio(n, refs[0]), ratio(n, generic), ratio(w, refs[0]), note))
    print("n/ossl: native / openssl with every extension; n/gen: native / openssl generic code;"
          " W/ossl: Wine / openssl")

    print()
    targets = [("AES-256-CBC encrypt >= 40% of openssl without AES-NI", "aes256-cbc-encrypt", 0, 1, 0.40),
               ("SHA-1 >= 60% of openssl generic", "sha1", 3, 2, 0.60)]
    for text, key, row, column, share in targets:
        ref = rows[row][4][column]
        for where, ours in (("native", native.get(key)), ("Wine", wine.get(key))):
            if ours is None or not ref:
                print("target %-55s %-6s: no figure" % (text, where))
            else:
                print("target %-55s %-6s: %3.0f%% %s" % (text, where, 100 * ours / ref,
                                                        "met" if ours >= share * ref else "MISSED"))


if __name__ == "__main__":
    main()
