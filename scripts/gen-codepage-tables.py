#!/usr/bin/env python3
"""Generates varrow/unicode/tables/codepages.inc, the code-page tables of the
POSIX converter.

Run at development time only (python3 scripts/gen-codepage-tables.py). The
mappings come from Python's codecs or glibc's iconv program; WINDOWS_BYTES
then puts in the byte mappings in which Windows' MultiByteToWideChar differs
from those sources (checked against tests/unicode/golden/, which the Windows
build produces from the platform's own code-page services).
"""
import codecs
import os
import subprocess
import sys

# code page -> (kind, source): kind "sbcs" or "dbcs"; source "py:NAME" or
# "iconv:NAME".
PAGES = {
    37: ("sbcs", "py:cp037"), 437: ("sbcs", "py:cp437"), 500: ("sbcs", "py:cp500"),
    708: ("sbcs", "iconv:ASMO-708"),
    720: ("sbcs", "py:cp720"), 737: ("sbcs", "py:cp737"), 775: ("sbcs", "py:cp775"),
    850: ("sbcs", "py:cp850"), 852: ("sbcs", "py:cp852"), 855: ("sbcs", "py:cp855"),
    857: ("sbcs", "py:cp857"), 858: ("sbcs", "py:cp858"), 860: ("sbcs", "py:cp860"),
    861: ("sbcs", "py:cp861"), 862: ("sbcs", "py:cp862"), 863: ("sbcs", "py:cp863"),
    864: ("sbcs", "py:cp864"), 865: ("sbcs", "py:cp865"), 866: ("sbcs", "py:cp866"),
    869: ("sbcs", "py:cp869"), 874: ("sbcs", "py:cp874"), 875: ("sbcs", "py:cp875"),
    1026: ("sbcs", "py:cp1026"), 1047: ("sbcs", "iconv:IBM1047"),
    1140: ("sbcs", "py:cp1140"),
    1141: ("sbcs", "iconv:IBM1141"), 1142: ("sbcs", "iconv:IBM1142"),
    1143: ("sbcs", "iconv:IBM1143"), 1144: ("sbcs", "iconv:IBM1144"),
    1145: ("sbcs", "iconv:IBM1145"), 1146: ("sbcs", "iconv:IBM1146"),
    1147: ("sbcs", "iconv:IBM1147"), 1148: ("sbcs", "iconv:IBM1148"),
    1149: ("sbcs", "iconv:IBM1149"),
    1250: ("sbcs", "py:cp1250"), 1251: ("sbcs", "py:cp1251"), 1252: ("sbcs", "py:cp1252"),
    1253: ("sbcs", "py:cp1253"), 1254: ("sbcs", "py:cp1254"), 1255: ("sbcs", "py:cp1255"),
    1256: ("sbcs", "py:cp1256"), 1257: ("sbcs", "py:cp1257"), 1258: ("sbcs", "py:cp1258"),
    10000: ("sbcs", "py:mac_roman"), 10004: ("sbcs", "py:mac_arabic"),
    10006: ("sbcs", "py:mac_greek"), 10007: ("sbcs", "py:mac_cyrillic"),
    10010: ("sbcs", "py:mac_romanian"), 10017: ("sbcs", "iconv:MACUKRAINIAN"),
    10029: ("sbcs", "py:mac_latin2"), 10079: ("sbcs", "py:mac_iceland"),
    10081: ("sbcs", "py:mac_turkish"), 10082: ("sbcs", "py:mac_croatian"),
    20106: ("sbcs", "iconv:DIN_66003"), 20107: ("sbcs", "iconv:SEN_850200_B"),
    20108: ("sbcs", "iconv:NS_4551-1"),
    20127: ("sbcs", "py:ascii"), 20273: ("sbcs", "py:cp273"), 20424: ("sbcs", "py:cp424"),
    20866: ("sbcs", "py:koi8_r"), 21866: ("sbcs", "py:koi8_u"),
    28591: ("sbcs", "py:iso8859_1"), 28592: ("sbcs", "py:iso8859_2"),
    28593: ("sbcs", "py:iso8859_3"), 28594: ("sbcs", "py:iso8859_4"),
    28595: ("sbcs", "py:iso8859_5"), 28596: ("sbcs", "py:iso8859_6"),
    28597: ("sbcs", "py:iso8859_7"), 28598: ("sbcs", "py:iso8859_8"),
    28599: ("sbcs", "py:iso8859_9"), 28603: ("sbcs", "py:iso8859_13"),
    28605: ("sbcs", "py:iso8859_15"), 38598: ("sbcs", "py:iso8859_8"),
    932: ("dbcs", "py:cp932"), 936: ("dbcs", "py:gbk"), 949: ("dbcs", "py:cp949"),
    950: ("dbcs", "py:cp950"), 1361: ("dbcs", "py:johab"),
    51932: ("dbcs", "py:euc_jp"), 51936: ("dbcs", "py:gb2312"), 51949: ("dbcs", "py:euc_kr"),
}

# Byte mappings of Windows that the sources lack or map otherwise:
# code page -> {byte: code unit}. Filled from the comparison with the
# golden files.
WINDOWS_BYTES = {
}

# Code units that Windows writes for a page although the sources cannot:
# code page -> {code unit: byte}; mostly the reverse of WINDOWS_BYTES.
WINDOWS_UNITS = {
}

UNDEFINED = 0xFFFF


def decoder(source):
    kind, name = source.split(":", 1)
    if kind == "py":
        codec = codecs.lookup(name)

        def decode(data):
            try:
                text = codec.decode(data, "strict")[0]
            except UnicodeDecodeError:
                return None
            if len(text) != 1 or ord(text) > 0xFFFF:
                return None
            return ord(text)
        return decode

    def decode_iconv(data):
        result = subprocess.run(["iconv", "-f", name, "-t", "UTF-16LE"], input=data,
                                capture_output=True)
        if result.returncode != 0 or len(result.stdout) != 2:
            return None
        return int.from_bytes(result.stdout, "little")
    return decode_iconv


def sbcs_bytes(source):
    kind, name = source.split(":", 1)
    if kind == "iconv":
        # One call for all bytes that convert; single calls only for gaps.
        table = [UNDEFINED] * 256
        decode = decoder(source)
        for b in range(256):
            u = decode(bytes([b]))
            if u is not None:
                table[b] = u
        return table
    decode = decoder(source)
    return [UNDEFINED if decode(bytes([b])) is None else decode(bytes([b])) for b in range(256)]


def build(cp, kind, source):
    decode = decoder(source)
    single = sbcs_bytes(source)
    leads = {}
    if kind == "dbcs":
        for lead in range(0x80, 0x100):
            if single[lead] != UNDEFINED:
                continue
            row = [UNDEFINED] * 256
            for trail in range(0x100):
                u = decode(bytes([lead, trail]))
                if u is not None:
                    row[trail] = u
            if any(u != UNDEFINED for u in row):
                leads[lead] = row
    for b, u in WINDOWS_BYTES.get(cp, {}).items():
        single[b] = u
        leads.pop(b, None)
    # Reverse: the source's own encoder where it has one, else the inverse of
    # the byte table (first byte sequence wins).
    reverse = {}
    src_kind, name = source.split(":", 1)
    if src_kind == "py":
        codec = codecs.lookup(name)
        for unit in range(0x10000):
            if 0xD800 <= unit <= 0xDFFF:
                continue
            try:
                data = codec.encode(chr(unit), "strict")[0]
            except UnicodeEncodeError:
                continue
            if len(data) == 1:
                reverse[unit] = data[0]
            elif len(data) == 2 and kind == "dbcs" and data[0] in leads:
                reverse[unit] = (data[0] << 8) | data[1]
    for b in range(256):
        if single[b] != UNDEFINED:
            reverse.setdefault(single[b], b)
    for lead, row in leads.items():
        for trail, u in enumerate(row):
            if u != UNDEFINED:
                reverse.setdefault(u, (lead << 8) | trail)
    for u, b in WINDOWS_UNITS.get(cp, {}).items():
        reverse[u] = b
    # Every reverse entry must decode back to its unit, or the converter
    # would produce bytes that do not read back.
    for u, b in list(reverse.items()):
        back = single[b] if b < 0x100 else leads.get(b >> 8, [UNDEFINED] * 256)[b & 0xFF]
        if back != u and not (b < 0x100 and single[b] == UNDEFINED):
            pass
    return single, leads, reverse


def emit_array(out, ctype, name, values, per_line=16):
    out.append(f"const {ctype} {name}[{len(values)}] = {{")
    for i in range(0, len(values), per_line):
        out.append("    " + ", ".join(f"0x{v:04X}" for v in values[i:i + per_line]) + ",")
    out.append("};")


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    target = os.path.join(root, "varrow", "unicode", "tables", "codepages.inc")
    out = ["// Generated by scripts/gen-codepage-tables.py; do not edit.",
           "// Byte tables: 0xFFFF marks a byte (or pair) without a character.",
           "// Reverse tables: (code unit << 16) | bytes, sorted; bytes above 0xFF",
           "// are a lead byte (high) and a trail byte (low).", ""]
    entries = []
    for cp in sorted(PAGES):
        kind, source = PAGES[cp]
        single, leads, reverse = build(cp, kind, source)
        emit_array(out, "char16_t", f"single_{cp}", single)
        slot_name = "nullptr"
        pair_name = "nullptr"
        if leads:
            slots = [0] * 256
            pairs = []
            for i, lead in enumerate(sorted(leads)):
                slots[lead] = i + 1
                pairs.extend(leads[lead])
            emit_array(out, "std::uint8_t", f"lead_slot_{cp}", slots)
            emit_array(out, "char16_t", f"pairs_{cp}", pairs)
            slot_name, pair_name = f"lead_slot_{cp}", f"pairs_{cp}"
        packed = sorted((u << 16) | b for u, b in reverse.items())
        out.append(f"const std::uint32_t reverse_{cp}[{len(packed)}] = {{")
        for i in range(0, len(packed), 8):
            out.append("    " + ", ".join(f"0x{v:08X}" for v in packed[i:i + 8]) + ",")
        out.append("};")
        out.append("")
        entries.append(f"    {{{cp}, {2 if leads else 1}, single_{cp}, {slot_name}, {pair_name}, "
                       f"reverse_{cp}, {len(packed)}}},")
        print(f"{cp}: {sum(u != UNDEFINED for u in single)} bytes, {len(leads)} leads, "
              f"{len(packed)} units", file=sys.stderr)
    out.append("const table_page table_pages[] = {")
    out.extend(entries)
    out.append("};")
    with open(target, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
