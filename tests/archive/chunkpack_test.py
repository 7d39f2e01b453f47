#!/usr/bin/env python3
"""chunkpack end to end: create, list, verify and extract real installer
files in a temporary folder, its argument errors, and a code-signed
installer with a fake archive slipped into its certificate table.

Usage: chunkpack_test.py --chunkpack EXE --stub PE [--run-prefix A;B;C]
                         [--signed-probe EXE] [--mingw-gcc GCC]
--stub is a PE image for the signed installer ("build" to compile a tiny one
with --mingw-gcc). With a run prefix (Wine) file names are passed to the
programs as Z: paths.
"""
import argparse, hashlib, os, shutil, struct, subprocess, sys, tempfile

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def element(data):
    return data + struct.pack("<I", len(data)) + hashlib.md5(data).digest()


class Tool:
    def __init__(self, args):
        self.prefix = [p for p in args.run_prefix.split(";") if p] if args.run_prefix else []
        self.exe = args.chunkpack

    def path(self, p):
        # Windows programs under Wine see the host's root as drive Z:.
        return "Z:" + p.replace("/", "\\") if self.prefix else p

    def run(self, *argv):
        r = subprocess.run(self.prefix + [self.exe] + list(argv), capture_output=True)
        out = r.stdout.decode("latin-1").replace("\r\n", "\n")
        err = r.stderr.decode("latin-1").replace("\r\n", "\n")
        return r.returncode, out, err


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def test_arguments(tool, tmp):
    code, out, _ = tool.run("--help")
    check(code == 0 and "Usage:" in out and "extract INSTALLER DIR" in out, "--help prints the usage")
    stub = os.path.join(tmp, "stub.bin")
    write(stub, b"MZ-not-really" * 10)
    P = tool.path
    cases = [
        ([], 2, "no command"),
        (["frobnicate"], 2, "unknown command"),
        (["create"], 2, "create without OUTPUT"),
        (["create", P(tmp + "/o.exe")], 2, "create without --stub"),
        (["create", P(tmp + "/o.exe"), "--stub"], 2, "--stub without PATH"),
        (["create", P(tmp + "/o.exe"), "--stub", P(stub), "--file", "k", "name"], 2, "--file with two arguments"),
        (["create", P(tmp + "/o.exe"), "--stub", P(stub), "--value", "k"], 2, "--value with one argument"),
        (["create", P(tmp + "/o.exe"), "--stub", P(stub), "--file", "k", "../x.exe", P(stub)], 2, "--file name with parent step"),
        (["create", P(tmp + "/o.exe"), "--stub", P(stub), "--bogus"], 2, "unknown option"),
        (["create", P(tmp + "/o.exe"), "--stub", P(tmp + "/missing.bin")], 1, "unreadable stub"),
        (["create", P(tmp + "/o.exe"), "--stub", P(stub), "--file", "", "a.txt", P(tmp + "/missing.txt")], 1, "unreadable file"),
        (["create", P(tmp + "/no-such-dir/o.exe"), "--stub", P(stub)], 1, "output that cannot be created"),
        (["list"], 2, "list without INSTALLER"),
        (["list", P(tmp + "/missing.exe")], 1, "list of a missing file"),
        (["verify", P(tmp + "/missing.exe")], 1, "verify of a missing file"),
        (["extract", P(stub)], 2, "extract without DIR"),
    ]
    for argv, want, what in cases:
        code, out, err = tool.run(*argv)
        check(code == want, "%s: exit %d, wanted %d (%s)" % (what, code, want, err.strip()))
        check(err.startswith("chunkpack: "), "%s: message on standard error (%r)" % (what, err))
    _, _, err = tool.run("list", P(tmp + "/missing.exe"))
    check("missing.exe" in err, "unreadable input is named in the message")


def test_round_trip(tool, tmp):
    P = tool.path
    stub = os.path.join(tmp, "Reader.exe")
    write(stub, b"stub image \x00\x01" * 300)
    post = os.path.join(tmp, "post.bin")
    write(post, bytes(range(256)) * 40)
    setup = os.path.join(tmp, "setup.bin")
    write(setup, b"setup program" * 500)
    readme = os.path.join(tmp, "readme.src")
    write(readme, b"")
    trailing = os.path.join(tmp, "signature.bin")
    write(trailing, b"chunked-installer-tai" * 300)
    installer = os.path.join(tmp, "installer.exe")
    code, out, err = tool.run("create", P(installer), "--stub", P(stub),
                              "--file", "post", "post.exe", P(post),
                              "--value", "parameters", "/q %source%",
                              "--file", "", "readme.txt", P(readme),
                              "--value", "parameters", "/s",
                              "--file", "executable", "setup.exe", P(setup),
                              "--trailing", P(trailing))
    check(code == 0, "create succeeds (%s)" % err.strip())
    data = read(installer)
    s = read(stub)
    expected = (s + element(s)[len(s):] + element(b"Reader.exe") + element(b"stub") + element(b"stub")
                + element(read(post)) + element(b"post.exe") + element(b"post") + element(b"file")
                + element(b"/q %source%") + element(b"parameters") + element(b"value")
                + element(b"") + element(b"readme.txt") + element(b"") + element(b"file")
                + element(b"/s") + element(b"parameters") + element(b"value")
                + element(read(setup)) + element(b"setup.exe") + element(b"executable") + element(b"file")
                + element(b"chunked-installer-tail") + read(trailing))
    check(data == expected, "create writes stub, records in the order given, tail and trailing bytes")

    code, out, err = tool.run("list", P(installer))
    check(code == 0, "list succeeds (%s)" % err.strip())
    lines = [l.split() for l in out.splitlines() if l.strip()]
    kinds = [l[1] for l in lines[:-1]]
    check(kinds == ["stub", "file", "value", "file", "value", "file", "tail"], "list shows records in file order: %r" % kinds)
    check(all(l[-1] == "ok" for l in lines[:-1]), "list: every digest holds")
    check('"post.exe"' in out and '"/q %source%"' in out and "size 10240" in out, "list shows names, values, sizes")
    check(int(lines[0][0]) == 0, "the stub record starts the file")
    post_offset = int(lines[1][0])
    check(post_offset == len(element(s)) + 30 + 24 + 24, "file record offset is its contents' offset")

    code, out, err = tool.run("verify", P(installer))
    check(code == 0, "verify accepts a whole installer (%s)" % err.strip())

    out_dir = os.path.join(tmp, "out")
    os.mkdir(out_dir)
    code, out, err = tool.run("extract", P(installer), P(out_dir))
    check(code == 0, "extract succeeds (%s)" % err.strip())
    check(read(os.path.join(out_dir, "post.exe")) == read(post), "extract writes post.exe")
    check(read(os.path.join(out_dir, "setup.exe")) == read(setup), "extract writes setup.exe")
    check(read(os.path.join(out_dir, "readme.txt")) == b"", "extract writes an empty file")
    check(sorted(os.listdir(out_dir)) == ["post.exe", "readme.txt", "setup.exe"], "extract writes nothing else")
    check("executable=setup.exe\n" in out and "post=post.exe\n" in out, "extract prints the file keys")
    check("parameters=/s\n" in out and "/q" not in out, "extract: the value nearest the end wins")

    # A flipped byte in post's contents: verify names that element's offset.
    bad = bytearray(data)
    bad[post_offset + 5] ^= 1
    broken = os.path.join(tmp, "broken.exe")
    write(broken, bytes(bad))
    code, out, err = tool.run("verify", P(broken))
    check(code == 1 and ("offset %d " % post_offset) in err, "verify names the bad element (%s)" % err.strip())
    code, out, err = tool.run("list", P(broken))
    check(code == 1 and "BAD DIGEST at offset %d" % post_offset in out, "list marks the bad record")
    out2 = os.path.join(tmp, "out2")
    os.mkdir(out2)
    code, out, err = tool.run("extract", P(broken), P(out2))
    check(code == 1 and os.listdir(out2) == [], "extract of a damaged installer writes nothing")

    # No tail, and a length pointing before the start.
    write(broken, data[: len(expected) - len(read(trailing)) - 20])
    code, _, err = tool.run("verify", P(broken))
    check(code == 1 and "no tail element" in err, "verify without tail (%s)" % err.strip())
    write(broken, b"x" * 50 + struct.pack("<I", 0xFFFFFFF0) + b"y" * 16 + element(b"v") + element(b"k")
          + element(b"value") + element(b"chunked-installer-tail"))
    code, _, err = tool.run("verify", P(broken))
    check(code == 1 and "offset 70 " in err and "before the start" in err, "verify: length before the start (%s)" % err.strip())


def set_cert_table(data, offset, size):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    entry = pe + 24 + (144 if magic == 0x20B else 128)
    struct.pack_into("<II", data, entry, offset, size)


def cert_table(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    entry = pe + 24 + (144 if magic == 0x20B else 128)
    return struct.unpack_from("<II", data, entry)


def test_signed(tool, tmp, args):
    if not (shutil.which("osslsigncode") and shutil.which("openssl")):
        check(False, "osslsigncode and openssl are needed for the signed-installer test")
        return
    P = tool.path
    stub = args.stub
    if stub == "build":
        src = os.path.join(tmp, "tiny.c")
        write(src, b"int main(void) { return 0; }\n")
        stub = os.path.join(tmp, "tiny.exe")
        subprocess.run([args.mingw_gcc, "-O2", "-s", "-o", stub, src], check=True)
    payload = os.path.join(tmp, "real.txt")
    write(payload, b"the real payload")
    unsigned = os.path.join(tmp, "unsigned.exe")
    code, _, err = tool.run("create", P(unsigned), "--stub", P(stub), "--value", "origin", "real",
                            "--file", "", "real.txt", P(payload))
    check(code == 0, "create the installer to sign (%s)" % err.strip())
    key, cert = os.path.join(tmp, "key.pem"), os.path.join(tmp, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=Throwaway test signer"], check=True, capture_output=True)
    signed = os.path.join(tmp, "signed.exe")
    subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-in", unsigned, "-out", signed],
                   check=True, capture_output=True)
    data = bytearray(read(signed))
    offset, size = cert_table(data)
    check(offset > 0 and offset + size == len(data), "the signature's certificate table ends the file")

    code, out, err = tool.run("verify", P(signed))
    check(code == 0, "verify accepts the signed installer (%s)" % err.strip())

    # The fake archive goes behind the signature and the table is made to
    # cover it; the table is not covered by the signature itself.
    fake = (element(b"fake payload") + element(b"fake.txt") + element(b"") + element(b"file")
            + element(b"fake") + element(b"origin") + element(b"value") + element(b"chunked-installer-tail"))
    fake += b"\0" * (-len(fake) % 8)
    tampered = bytearray(data) + fake
    set_cert_table(tampered, offset, size + len(fake))
    tampered_path = os.path.join(tmp, "tampered.exe")
    write(tampered_path, bytes(tampered))
    check_sig = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", tampered_path], capture_output=True)
    print("osslsigncode verify of the tampered file: exit", check_sig.returncode)

    code, out, err = tool.run("list", P(tampered_path))
    check(code == 0 and '"real"' in out and "fake" not in out, "list reads the real archive, not the fake one")
    out_dir = os.path.join(tmp, "signed-out")
    os.mkdir(out_dir)
    code, out, err = tool.run("extract", P(tampered_path), P(out_dir))
    check(code == 0 and os.listdir(out_dir) == ["real.txt"] and "origin=real" in out,
          "extract of the tampered file gives the real payload only")

    # The installer's own reader on the same file.
    if args.signed_probe:
        probe_dir = os.path.join(tmp, "probe-work")
        os.mkdir(probe_dir)
        r = subprocess.run(tool.prefix + [args.signed_probe, P(tampered_path), P(probe_dir)], capture_output=True)
        out = r.stdout.decode("latin-1").replace("\r\n", "\n")
        check(r.returncode == 0 and "origin=real" in out, "the reader takes the real archive of the signed file: " + out)
        check(os.listdir(probe_dir) == ["real.txt"], "the reader writes the real payload only: %r" % os.listdir(probe_dir))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--chunkpack", required=True)
    ap.add_argument("--stub", required=True)
    ap.add_argument("--run-prefix", default="")
    ap.add_argument("--signed-probe", default="")
    ap.add_argument("--mingw-gcc", default="x86_64-w64-mingw32-gcc")
    args = ap.parse_args()
    tool = Tool(args)
    tmp = tempfile.mkdtemp(prefix="tw-chunkpack-")
    try:
        for name, test in [("arguments", lambda d: test_arguments(tool, d)),
                           ("round trip", lambda d: test_round_trip(tool, d)),
                           ("signed installer", lambda d: test_signed(tool, d, args))]:
            d = os.path.join(tmp, name.replace(" ", "-"))
            os.mkdir(d)
            print("==", name)
            test(d)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
