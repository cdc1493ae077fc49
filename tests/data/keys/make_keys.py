#!/usr/bin/python3
"""Writes the key-file fixtures for the key-file tests.

Keys come from python3-cryptography; both file formats are written here from
their rules, independently of the reader under test. Run it with Debian's
interpreter, which has python3-cryptography:

    /usr/bin/python3 tests/data/keys/make_keys.py

It writes fresh keys every time, together with manifest.txt, which records
for every file the numbers the reader must find in it.
"""

import base64
import hashlib
import hmac
import os
import struct
import warnings

from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import dsa, padding, rsa
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

warnings.filterwarnings("ignore")  # TripleDES is deprecated but still needed here

HERE = os.path.dirname(os.path.abspath(__file__))
SIGNED_MESSAGE = b"vorto key file test message"


# SSH-2 wire encodings (RFC 4251).
def ssh_string(data):
    if isinstance(data, str):
        data = data.encode()
    return struct.pack(">I", len(data)) + data


def ssh_mpint(n):
    if n == 0:
        return struct.pack(">I", 0)
    raw = n.to_bytes((n.bit_length() + 8) // 8, "big")  # room for a sign bit
    return ssh_string(raw)


def rsa_blobs(key):
    pn = key.private_numbers()
    pub = pn.public_numbers
    public = ssh_string("ssh-rsa") + ssh_mpint(pub.e) + ssh_mpint(pub.n)
    # d, p, q and q^-1 mod p.
    private = ssh_mpint(pn.d) + ssh_mpint(pn.p) + ssh_mpint(pn.q) + ssh_mpint(pow(pn.q, -1, pn.p))
    return public, private


def dsa_blobs(key):
    pn = key.private_numbers()
    pub = pn.public_numbers
    par = pub.parameter_numbers
    public = ssh_string("ssh-dss") + b"".join(ssh_mpint(v) for v in (par.p, par.q, par.g, pub.y))
    return public, ssh_mpint(pn.x)


def base64_lines(blob):
    text = base64.b64encode(blob).decode()
    return [text[i:i + 64] for i in range(0, len(text), 64)]


def text_key_file(algorithm, comment, public, private, passphrase=None, revision=2, check="Private-MAC"):
    """Our own SSH-2 text format, revision 1 or 2."""
    encryption = "aes256-cbc" if passphrase is not None else "none"
    secret = private
    if passphrase is not None:
        # Pad to whole AES blocks; the check value covers the padding.
        secret += os.urandom(-len(secret) % 16)
    pw = (passphrase or "").encode()

    if check == "Private-Hash":
        value = hashlib.sha1(secret).hexdigest()
    else:
        mac_key = hashlib.sha1(b"putty-private-key-file-mac-key" + (pw if passphrase is not None else b"")).digest()
        if revision == 2:
            data = b"".join(ssh_string(x) for x in (algorithm, encryption, comment, public, secret))
        else:
            data = secret
        value = hmac.new(mac_key, data, hashlib.sha1).hexdigest()

    stored = secret
    if passphrase is not None:
        key = (hashlib.sha1(b"\0\0\0\0" + pw).digest() + hashlib.sha1(b"\0\0\0\1" + pw).digest())[:32]
        enc = Cipher(algorithms.AES(key), modes.CBC(bytes(16))).encryptor()
        stored = enc.update(secret) + enc.finalize()

    pub_lines, priv_lines = base64_lines(public), base64_lines(stored)
    lines = ["PuTTY-User-Key-File-%d: %s" % (revision, algorithm),
             "Encryption: " + encryption,
             "Comment: " + comment,
             "Public-Lines: %d" % len(pub_lines)] + pub_lines + \
            ["Private-Lines: %d" % len(priv_lines)] + priv_lines + \
            ["%s: %s" % (check, value)]
    return ("\n".join(lines) + "\n").encode()


# SSH-1 binary format.
def ssh1_bignum(n):
    return struct.pack(">H", n.bit_length()) + n.to_bytes((n.bit_length() + 7) // 8, "big")


def des_cbc(key8, data, decrypt):
    # TripleDES with one 8-byte key repeated is single DES.
    cipher = Cipher(algorithms.TripleDES(key8 * 3), modes.CBC(bytes(8)))
    op = cipher.decryptor() if decrypt else cipher.encryptor()
    return op.update(data) + op.finalize()


def ssh1_3des_encrypt(key16, data):
    # Three DES stages, each its own CBC chain: encrypt K1, decrypt K2, encrypt K3 = K1.
    k1, k2 = key16[:8], key16[8:16]
    return des_cbc(k1, des_cbc(k2, des_cbc(k1, data, False), True), False)


def ssh1_key_file(public_key, private_key, comment, passphrase=None):
    pub = public_key.public_numbers()
    pn = private_key.private_numbers()
    # SSH-1 names the primes P, Q with u = P^-1 mod Q.
    big_p, big_q = pn.q, pn.p
    u = pow(big_p, -1, big_q)
    check = os.urandom(2)
    private = check + check + b"".join(ssh1_bignum(v) for v in (pn.d, u, big_p, big_q))
    cipher_type = 3 if passphrase is not None else 0
    if passphrase is not None:
        private += os.urandom(-len(private) % 8)
        private = ssh1_3des_encrypt(hashlib.md5(passphrase.encode()).digest(), private)
    head = b"SSH PRIVATE KEY FILE FORMAT 1.1\n\0" + bytes([cipher_type]) + bytes(4)
    head += struct.pack(">I", pub.n.bit_length()) + ssh1_bignum(pub.e) + ssh1_bignum(pub.n) + ssh_string(comment)
    return head + private


def write(name, data, manifest, **facts):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
    manifest.append(name + "".join(" %s=%s" % kv for kv in sorted(facts.items())))


def rsa_facts(key, public, private):
    signature = key.sign(SIGNED_MESSAGE, padding.PKCS1v15(), hashes.SHA1())
    return dict(public=public.hex(), private=private.hex(), signature=signature.hex())


def main():
    manifest = []
    rsa_key = rsa.generate_private_key(public_exponent=65537, key_size=1024)
    other_rsa = rsa.generate_private_key(public_exponent=65537, key_size=1024)
    dsa_key = dsa.generate_private_key(key_size=1024)
    rpub, rpriv = rsa_blobs(rsa_key)
    dpub, dpriv = dsa_blobs(dsa_key)
    _, other_priv = rsa_blobs(other_rsa)
    rf, df = rsa_facts(rsa_key, rpub, rpriv), dict(public=dpub.hex(), private=dpriv.hex())
    pw = "correct-horse-battery"  # no blanks: the manifest splits on them

    write("rsa_none.key", text_key_file("ssh-rsa", "rsa test key", rpub, rpriv), manifest, **rf)
    write("rsa_aes.key", text_key_file("ssh-rsa", "rsa test key", rpub, rpriv, pw), manifest, passphrase=pw, **rf)
    write("dsa_none.key", text_key_file("ssh-dss", "dsa test key", dpub, dpriv), manifest, **df)
    write("dsa_aes.key", text_key_file("ssh-dss", "dsa test key", dpub, dpriv, pw), manifest, passphrase=pw, **df)
    write("rsa_rev1_mac.key", text_key_file("ssh-rsa", "old rsa key", rpub, rpriv, pw, revision=1),
          manifest, passphrase=pw, **rf)
    write("rsa_rev1_hash.key", text_key_file("ssh-rsa", "old rsa key", rpub, rpriv, revision=1, check="Private-Hash"),
          manifest, **rf)
    write("dsa_rev1_mac.key", text_key_file("ssh-dss", "old dsa key", dpub, dpriv, revision=1), manifest, **df)
    # Only RSA files of revision 1 may carry the bare hash.
    write("dsa_rev1_hash.key", text_key_file("ssh-dss", "old dsa key", dpub, dpriv, revision=1, check="Private-Hash"),
          manifest, **df)
    # A valid check value over halves of two different keys.
    write("rsa_mismatch.key", text_key_file("ssh-rsa", "two keys", rpub, other_priv), manifest)

    pn = rsa_key.private_numbers()
    r1 = dict(e="%x" % pn.public_numbers.e, n="%x" % pn.public_numbers.n, d="%x" % pn.d, bits=pn.public_numbers.n.bit_length())
    write("ssh1_clear.key", ssh1_key_file(rsa_key.public_key(), rsa_key, "ssh1 clear key"), manifest, **r1)
    write("ssh1_3des.key", ssh1_key_file(rsa_key.public_key(), rsa_key, "ssh1 secret key", pw), manifest,
          passphrase=pw, **r1)
    write("ssh1_mismatch.key", ssh1_key_file(rsa_key.public_key(), other_rsa, "two keys"), manifest)

    write("openssh_rsa.key", rsa_key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.OpenSSH,
                                                   serialization.NoEncryption()), manifest)
    write("sshcom.key", b"---- BEGIN SSH2 ENCRYPTED PRIVATE KEY ----\nAAAA\n---- END SSH2 ENCRYPTED PRIVATE KEY ----\n",
          manifest)
    write("not_a_key.txt", b"just some text\n", manifest)

    with open(os.path.join(HERE, "manifest.txt"), "w") as f:
        f.write("# Written by make_keys.py: file name, then facts as name=value (hex for numbers and blobs).\n")
        f.write("\n".join(manifest) + "\n")


if __name__ == "__main__":
    main()
