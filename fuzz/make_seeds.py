#!/usr/bin/env python3
"""Writes the binary seed inputs of fuzz_probe and fuzz_render (the text seeds of the
other two targets are kept as they are). FuzzedDataProvider takes integers from the end
of the input, so those are laid out back to front."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def from_end(*items):
    # items in the order they are consumed; each integer little-endian
    return b"".join(reversed(items))


def u8(v):
    return struct.pack("<B", v)


def u32(v):
    return struct.pack("<I", v)


def u64(v):
    return struct.pack("<Q", v)


def text_regs(text):
    return [struct.unpack("<I", text[i:i + 4].encode("latin-1"))[0] for i in range(0, 16, 4)]


def leaf(pick, answers):
    # pick: index into the target's known leaves (12 means a leaf number follows)
    items = [u8(pick)]
    if isinstance(answers, tuple):  # (leaf number, answers)
        items.append(u32(answers[0]))
        answers = answers[1]
    items.append(u8(len(answers) - 1))
    for regs in answers:
        items.extend(u32(r) for r in regs)
    return items


def probe_seed(vendor_pick, leaves, mhz=600):
    items = [u64(mhz * 1000000), u8(1), u8(vendor_pick)]
    for pick, answers in leaves:
        items.extend(leaf(pick, answers))
    return from_end(*items)


def vendor_leaf(max_level, vendor):
    ebx, edx, ecx = (struct.unpack("<I", vendor[i:i + 4].encode("latin-1"))[0] for i in (0, 4, 8))
    return [(max_level, ebx, ecx, edx)]


probe = {
    # Pentium 4 style: 0x40 ahead of the real level-2 descriptor, leaf 2 scanned once.
    "intel_leaf2": probe_seed(7, [(0, vendor_leaf(2, "GenuineIntel")),
                                  (1, [(0xF24, 0x00010808, 0, 0x3FEBFBFF)]),
                                  (2, [(0x665B5001, 0, 0, 0x007B7040)])]),
    # Leaf 2 asking for three scans, each answer different.
    "intel_repeat": probe_seed(0, [(0, vendor_leaf(2, "GenuineIntel")),
                                   (1, [(0x683, 0, 0, 0x0383FBFF)]),
                                   (2, [(0x03020103, 0, 0, 0x0C040843), (0x02, 0, 0, 0x82),
                                        (0x01, 0, 0, 0x40)])]),
    # Extended leaves, brand string without its NUL.
    "amd_brand": probe_seed(7, [(0, vendor_leaf(1, "AuthenticAMD")),
                                (1, [(0x642, 0, 0, 0x0183F9FF)]),
                                (3, [(0x80000006, 0, 0, 0)]),
                                (4, [(0x642, 0, 0, 0xC1C3F9FF)]),
                                (5, [text_regs("AMD Athlon(tm) P")]),
                                (6, [text_regs("rocessor with a ")]),
                                (7, [text_regs("brand, no NUL.  ")]),
                                (8, [(0, 0, 0x40020140, 0x40020140)]),
                                (9, [(0, 0, 0x01004220, 0)])]),
    # Newer than every table, and an odd leaf beyond the extended range.
    "beyond_tables": probe_seed(7, [(0, vendor_leaf(0x20, "GenuineIntel")),
                                    (1, [(0x90675, 0, 0, 0xBFEBFBFF)]),
                                    (12, (0x4000000, [(1, 2, 3, 4)]))]),
    # A vendor string no table knows, with blanks around it.
    "unknown_vendor": probe_seed(7, [(0, vendor_leaf(1, "  Odd Chip  ")),
                                     (1, [(0x543, 0, 0, 0x8001BF)])]),
}

for name, data in probe.items():
    with open(os.path.join(HERE, "seeds", "probe", name), "wb") as out:
        out.write(data)


def render_seed(record, numbers, user, computer):
    record = record.ljust(256, b"\0")[:256]
    user_part = user.replace(b"\\", b"\\\\") + b"\\x"  # ConsumeRandomLengthString ends at "\\" + other
    return record + user_part + computer + b"".join(u32(n) for n in reversed(numbers))


def record_bytes(name, vendor, brand, type_name, fill=b"\0"):
    head = struct.pack("<IIbbxxfi", 0x0383FBFF, 0x80000000, 2, 4, 733.4, 0)
    body = vendor.ljust(16, fill) + name.ljust(64, fill) + brand.ljust(64, fill) + type_name.ljust(76, fill)
    tail = struct.pack("<BBbbbbbBBhxxI", 0, 0, 6, 0, 8, 3, 0, 16, 16, 256, 0x683)
    return head + body + tail


render = {
    "plain": render_seed(record_bytes(b"Intel Pentium III", b"GenuineIntel", b"", b"Original OEM"),
                         [24, 12, 2001, 13, 5, 9], b"alice", b"WS7"),
    "markup": render_seed(record_bytes(b"<b>\"R&D\"</b>", b"Vendor&<>", b"a \"quoted\" brand", b"x"),
                          [99, 99, 99999, 99, 99, 99], b"<script>&amp;", b"PC\"1\">"),
    "no_nul": render_seed(record_bytes(b"", b"", b"", b"", fill=b"Z"), [0] * 6, b"\xb5\xe9", b"\r\nX"),
}

for name, data in render.items():
    with open(os.path.join(HERE, "seeds", "render", name), "wb") as out:
        out.write(data)
