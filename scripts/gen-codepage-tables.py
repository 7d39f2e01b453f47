#!/usr/bin/env python3
"""Generates varrow/unicode/tables/codepages.inc, the code-page tables of the
POSIX converter.

Run at development time only (python3 scripts/gen-codepage-tables.py). The
mappings come from Python's codecs or glibc's iconv program; WINDOWS_BYTES
then puts in the byte mappings in which Windows' MultiByteToWideChar differs
from those sources (checked against tests/unicode/golden/, which the Windows
build produces from the platform's own code-page services).

Pages without an agreeing source, and the code units that Windows writes into
a page although no byte reads back as them (private-use units of undefined
bytes), come from scripts/codepages/platform.txt: a digest of what the
Windows build's codepage_dump printed. To refresh it:
  wine codepage_dump.exe $(cat scripts/codepages/pages.txt) > dump.txt
  python3 scripts/gen-codepage-tables.py --take-platform-dump dump.txt
"""
import codecs
import os
import subprocess
import sys

# code page -> (kind, source): kind "sbcs" or "dbcs"; source "py:NAME" or
# "iconv:NAME".
PAGES = {
    37: ("sbcs", "py:cp037"), 437: ("sbcs", "py:cp437"), 500: ("sbcs", "py:cp500"),
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
    950: ("dbcs", "py:cp950"),
    51932: ("dbcs", "py:euc_jp"), 51936: ("dbcs", "py:gb2312"), 51949: ("dbcs", "py:euc_kr"),
}

# Pages taken whole from the platform's dump (see the module text).
PLATFORM_PAGES = [708, 1361, 10001, 10002, 10003, 10005, 10008, 10021, 20932, 20949]
for _cp in PLATFORM_PAGES:
    PAGES[_cp] = ("dbcs", "platform")

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
PLATFORM_FILE = os.path.join(ROOT, "scripts", "codepages", "platform.txt")

# Byte mappings in which Windows differs from the source: code page ->
# {byte: code unit, or None for a byte without a character}.
WINDOWS_BYTES = {
    864: {0x25: 0x0025},
    932: {0xA0: None, 0xFD: None, 0xFE: None, 0xFF: None},
    936: {0x80: 0x20AC},
    949: {0x80: 0x0080},
    950: {0x80: 0x0080},
    1255: {0xCA: 0x05BA},
    10000: {0xBD: 0x2126, 0xF0: None},
    10004: {**{b: None for b in (0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA6, 0xA7, 0xA8, 0xA9,
                                 0xAA, 0xAB, 0xAD, 0xAE, 0xAF, 0xBA, 0xBC, 0xBD, 0xBE,
                                 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xFB, 0xFC, 0xFD)},
            0xC0: 0x066D},
    10006: {0x9C: 0x00AD, 0xAF: 0x0387, 0xFF: None},
    10007: {0xA2: 0x00A2, 0xB6: 0x2202, 0xFF: 0x00A4},
    10010: {0xAF: 0x015E, 0xBD: 0x2126, 0xBF: 0x015F, 0xDB: 0x00A4, 0xDE: 0x0162,
            0xDF: 0x0163, 0xF0: None},
    10079: {0xBD: 0x2126, 0xDB: 0x00A4, 0xF0: None},
    10081: {0xBD: 0x2126, 0xF0: None, 0xF5: None},
    10082: {0xBD: 0x2126, 0xD8: None, 0xDB: 0x00A4},
    # The high bit is dropped; 0xBF would read as "?", the default character,
    # so it counts as invalid.
    20127: {**{b: b & 0x7F for b in range(0x80, 0x100)}, 0xBF: None},
    21866: {0xAE: 0x045E, 0xBE: 0x040E},
    28597: {0xA1: 0x02BD, 0xA2: 0x02BC, 0xA4: None, 0xA5: None, 0xAA: None},
    28598: {0xAF: 0x203E, 0xFD: None, 0xFE: None},
}
# Logical Hebrew has the characters of visual Hebrew.
WINDOWS_BYTES[38598] = WINDOWS_BYTES[28598]

# Pages in which Windows gives the bytes 0x80..0x9F that have no character
# the C1 control of the same value.
C1_FILLED = {864, 869, 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}


def rows(first_lead, last_lead, trails):
    return [(lead << 8) | t for lead in range(first_lead, last_lead + 1) for t in trails]


def span(first, last):
    return list(range(first, last + 1))


BIG5_TRAILS = span(0x40, 0x7E) + span(0xA1, 0xFE)
GB_TRAILS = span(0xA1, 0xFE)

# User-defined areas: runs of byte pairs that Windows maps, in order, to
# consecutive private-use units from the given start.
USER_DEFINED = {
    936: [(0xE000, rows(0xAA, 0xAF, GB_TRAILS) + rows(0xF8, 0xFE, GB_TRAILS) +
           rows(0xA1, 0xA7, span(0x40, 0x7E) + span(0x80, 0xA0)) +
           span(0xA2AB, 0xA2B0) + span(0xA2E3, 0xA2E4) + span(0xA2EF, 0xA2F0) +
           span(0xA2FD, 0xA2FE) + span(0xA4F4, 0xA4FE) + span(0xA5F7, 0xA5FE) +
           span(0xA6B9, 0xA6C0) + span(0xA6D9, 0xA6DF) + span(0xA6EC, 0xA6ED) +
           [0xA6F3] + span(0xA6F6, 0xA6FE) + span(0xA7C2, 0xA7D0) + span(0xA7F2, 0xA7FE) +
           span(0xA896, 0xA8A0) + [0xA8BC, 0xA8BF] + span(0xA8C1, 0xA8C4) +
           span(0xA8EA, 0xA8FE) + [0xA958, 0xA95B] + span(0xA95D, 0xA95F) +
           span(0xA989, 0xA995) + span(0xA997, 0xA9A3) + span(0xA9F0, 0xA9FE) +
           span(0xD7FA, 0xD7FE) + span(0xFE50, 0xFE7E) + span(0xFE80, 0xFEA0))],
    949: [(0xE000, rows(0xC9, 0xC9, GB_TRAILS) + rows(0xFE, 0xFE, GB_TRAILS))],
    950: [(0xE000, rows(0xFA, 0xFE, BIG5_TRAILS) + rows(0x8E, 0xA0, BIG5_TRAILS) +
           rows(0x81, 0x8D, BIG5_TRAILS)),
          (0xF6B1, rows(0xC6, 0xC6, span(0xA1, 0xFE)) + rows(0xC7, 0xC8, BIG5_TRAILS))],
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


def default_reverse(single, leads):
    """The first byte sequence, in byte order, that reads as each unit."""
    reverse = {}
    for b in range(256):
        if single[b] != UNDEFINED and b not in leads:
            reverse.setdefault(single[b], b)
    for lead in sorted(leads):
        for trail, u in enumerate(leads[lead]):
            if u != UNDEFINED:
                reverse.setdefault(u, (lead << 8) | trail)
    return reverse


def read_platform_file():
    """cp -> {"single": [...], "leads": {lead: [...]}, "units": {unit: code or None}}"""
    pages = {}
    if not os.path.exists(PLATFORM_FILE):
        return pages
    current = None
    for line in open(PLATFORM_FILE):
        fields = line.split()
        if not fields or fields[0].startswith("#"):
            continue
        if fields[0] == "page":
            current = pages.setdefault(int(fields[1]), {"single": None, "leads": {}, "units": {}})
        elif fields[0] == "s":
            current["single"] = [int(fields[1][i:i + 4], 16) for i in range(0, 1024, 4)]
        elif fields[0] == "r":
            current["leads"][int(fields[1], 16)] = [int(fields[2][i:i + 4], 16)
                                                    for i in range(0, 1024, 4)]
        elif fields[0] == "u":
            current["units"][int(fields[1], 16)] = int(fields[2], 16)
        elif fields[0] == "x":
            current["units"][int(fields[1], 16)] = None
    return pages


PLATFORM = read_platform_file()


def apply_units(reverse, cp):
    for unit, code in PLATFORM.get(cp, {}).get("units", {}).items():
        if code is None:
            reverse.pop(unit, None)
        else:
            reverse[unit] = code
    return reverse


def build(cp, kind, source):
    if source == "platform":
        page = PLATFORM[cp]
        single, leads = list(page["single"]), {k: list(v) for k, v in page["leads"].items()}
        return single, leads, apply_units(default_reverse(single, leads), cp)
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
    if cp in C1_FILLED:
        for b in range(0x80, 0xA0):
            if single[b] == UNDEFINED and b not in leads:
                single[b] = b
    for b, u in WINDOWS_BYTES.get(cp, {}).items():
        single[b] = UNDEFINED if u is None else u
        leads.pop(b, None)
    for first_unit, pairs in USER_DEFINED.get(cp, []):
        for offset, pair in enumerate(pairs):
            leads.setdefault(pair >> 8, [UNDEFINED] * 256)[pair & 0xFF] = first_unit + offset
    def decode_code(code):
        if code < 0x100:
            return single[code] if code not in leads else UNDEFINED
        row = leads.get(code >> 8)
        return row[code & 0xFF] if row else UNDEFINED

    # Reverse: for double-byte pages the source's encoder where its choice
    # reads back to the same unit; otherwise the first byte sequence that
    # reads as the unit.
    reverse = {}
    src_kind, name = source.split(":", 1)
    if kind == "dbcs" and src_kind == "py":
        codec = codecs.lookup(name)
        for unit in range(0x10000):
            if 0xD800 <= unit <= 0xDFFF:
                continue
            try:
                data = codec.encode(chr(unit), "strict")[0]
            except UnicodeEncodeError:
                continue
            code = data[0] if len(data) == 1 else (data[0] << 8) | data[1] if len(data) == 2 else -1
            if code >= 0 and decode_code(code) == unit:
                reverse[unit] = code
    for unit, code in default_reverse(single, leads).items():
        reverse.setdefault(unit, code)
    if cp == 932:
        # Windows writes the IBM extension kanji with their IBM codes (FA..FC),
        # not with the NEC-selected duplicates (ED, EE).
        for lead in (0xFA, 0xFB, 0xFC):
            for trail, u in enumerate(leads.get(lead, [])):
                if u != UNDEFINED and reverse.get(u, 0) >> 8 in (0xED, 0xEE):
                    reverse[u] = (lead << 8) | trail
    if cp == 950:
        # Four box-drawing characters have a second code among the ETEN
        # extensions; Windows writes that one.
        reverse.update({0x2550: 0xF9F9, 0x255E: 0xF9E9, 0x2561: 0xF9EB, 0x256A: 0xF9EA})
    return single, leads, apply_units(reverse, cp)


def parse_dump(path):
    """A codepage_dump output: cp -> (single, leads, reverse), None if unsupported."""
    pages = {}
    current = None
    for raw in open(path, encoding="ascii"):
        fields = raw.split()
        if not fields:
            continue
        if fields[0] == "cp":
            cp = int(fields[1])
            if cp not in PAGES:  # converted by code, not by a table
                current = None
                continue
            if len(fields) > 2:
                pages[cp] = None
                current = None
                continue
            current = ([UNDEFINED] * 256, {}, {})
            pages[cp] = current
        elif current is None:
            continue
        elif fields[0] == "b" and not fields[2].startswith("!"):
            if len(fields) != 3:
                sys.exit(f"cp {cp}: byte {fields[1]} reads as several units")
            current[0][int(fields[1], 16)] = int(fields[2], 16)
        elif fields[0] == "p":
            if len(fields) != 3:
                sys.exit(f"cp {cp}: pair {fields[1]} reads as several units")
            code = int(fields[1], 16)
            current[1].setdefault(code >> 8, [UNDEFINED] * 256)[code & 0xFF] = int(fields[2], 16)
        elif fields[0] == "u":
            if len(fields[2]) > 4:
                sys.exit(f"cp {cp}: unit {fields[1]} writes more than two bytes")
            current[2][int(fields[1], 16)] = int(fields[2], 16)
    return pages


def take_platform_dump(path):
    """Rewrites PLATFORM_FILE from a dump of the Windows build."""
    global PLATFORM
    PLATFORM = {}
    dump = parse_dump(path)
    out = ["# What the Windows code-page services do where no other source agrees;",
           "# written by scripts/gen-codepage-tables.py --take-platform-dump; do not edit.",
           "# page N; s: the 256 single bytes; r LL: the 256 pairs of lead byte LL",
           "# (FFFF: no character); u UUUU CODE: the unit's bytes where they differ",
           "# from what the page's source gives (for whole pages: from the first",
           "# sequence that reads as the unit); x UUUU: the unit has no bytes."]
    for cp in sorted(PAGES):
        if cp not in dump:
            sys.exit(f"the dump lacks cp {cp}")
        if dump[cp] is None:
            if cp in PLATFORM_PAGES:
                sys.exit(f"the platform does not support cp {cp}")
            continue
        single, leads, reverse = dump[cp]
        kind, source = PAGES[cp]
        if source == "platform":
            base = default_reverse(single, leads)
        else:
            built_single, built_leads, base = build(cp, kind, source)
            if built_single != single or built_leads != leads:
                print(f"warning: cp {cp}: the bytes differ from the platform's", file=sys.stderr)
        lines = []
        if source == "platform":
            lines.append("s " + "".join(f"{u:04X}" for u in single))
            for lead in sorted(leads):
                lines.append(f"r {lead:02X} " + "".join(f"{u:04X}" for u in leads[lead]))
        for unit in sorted(set(base) | set(reverse)):
            if unit not in reverse:
                lines.append(f"x {unit:04X}")
            elif base.get(unit) != reverse[unit]:
                lines.append(f"u {unit:04X} {reverse[unit]:X}")
        if lines:
            out.append(f"page {cp}")
            out.extend(lines)
    os.makedirs(os.path.dirname(PLATFORM_FILE), exist_ok=True)
    with open(PLATFORM_FILE, "w") as f:
        f.write("\n".join(out) + "\n")
    PLATFORM = read_platform_file()


def emit_array(out, ctype, name, values, per_line=16):
    out.append(f"const {ctype} {name}[{len(values)}] = {{")
    for i in range(0, len(values), per_line):
        out.append("    " + ", ".join(f"0x{v:04X}" for v in values[i:i + per_line]) + ",")
    out.append("};")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--take-platform-dump":
        take_platform_dump(sys.argv[2])
    elif len(sys.argv) != 1:
        sys.exit("usage: gen-codepage-tables.py [--take-platform-dump DUMP]")
    target = os.path.join(ROOT, "varrow", "unicode", "tables", "codepages.inc")
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
