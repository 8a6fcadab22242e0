#!/usr/bin/env python3
"""Writes the seed inputs of fuzz_tile_windows into corpus/fuzz_tile_windows.

The layout of an input, as fuzz_tile_windows.cpp reads it (bytes past the
end read as 0):
  world    bit 0+1 both: client height any 32-bit value; bit 2: width any
           32-bit value; bit 3: cx, cy any 32-bit value; bit 4: a decoy
           "MDIClient" inside a toolbar; bits 5+6 both: GetClientRect fails;
           bit 7 with bits 5,6 = 1,0: no MDI client at all
  width    2 bytes (mod 4096) or 4 bytes
  height   2 bytes (mod 4096) or 4 bytes
  cx, cy   1 byte each (mod 16) or 4 bytes each
  order    count (mod 5), then per entry: length (1 + mod 4), units (mod 12)
  ignore   count (mod 4), entries as above
  class    mod 3: MDIClient, mdiclient, MDICLIENT
  children count (mod 13), then per child:
           flags: 1 visible, 2 WS_THICKFRAME, 4 WS_MAXIMIZE, 8+16 both: of
           another thread, 32 a control inside, 64 the control maximized,
           128 a failures byte follows
           title: length (mod 8), units (mod 13)
           left (int8), top (int16), width, height (1 byte each)
           [failures: 1 GetWindowText fails, 2 GetWindowRect fails]
Units: # a A b B * space S s U+0130 U+00E9 U+00C9 /
"""
import os
import struct

UNITS = "#aAbB* Ss\u0130\u00e9\u00c9/"
VISIBLE, SIZING, MAXIMIZED, OTHER_THREAD, CONTROL, CONTROL_MAXIMIZED, FAILURES = 1, 2, 4, 0x18, 0x20, 0x40, 0x80


def text(s):
    return bytes([len(s)]) + bytes(UNITS.index(c) for c in s)


def entries(items):
    return bytes([len(items)]) + b"".join(bytes([len(e) - 1]) + bytes(UNITS.index(c) for c in e) for e in items)


def child(title, top, flags=VISIBLE | SIZING, left=0, width=200, height=100, failures=None):
    data = bytes([flags | (FAILURES if failures is not None else 0)]) + text(title)
    data += struct.pack("<bhBB", left, top, width, height)
    if failures is not None:
        data += bytes([failures])
    return data


def world(children, width=800, height=600, cx=4, cy=4, order=(), ignore=(), flags=0, client_class=0):
    wide_height = (flags & 3) == 3
    data = bytes([flags])
    data += struct.pack("<I" if flags & 4 else "<H", width)
    data += struct.pack("<I" if wide_height else "<H", height)
    data += struct.pack("<II", cx, cy) if flags & 8 else bytes([cx, cy])
    data += entries(order) + entries(ignore) + bytes([client_class, len(children)])
    return data + b"".join(children)


SEEDS = {
    "three-tiles": world([child("a", 10), child("b", 20), child("s", 30)]),
    "order-and-ignore": world(
        [child("#a", 40, VISIBLE | SIZING | CONTROL), child("#b", 10), child("Sa", 0), child("s*", -20)],
        order=["#b", "#A"], ignore=["S"]),
    "maximized": world(
        [child("#a", 10), child("b", 5, VISIBLE | SIZING | MAXIMIZED | CONTROL | CONTROL_MAXIMIZED),
         child("S", 20, SIZING | MAXIMIZED), child("B", 30, VISIBLE), child("* ", 40, SIZING)],
        ignore=["s"]),
    "threads-and-failures": world(
        [child("Sa", 10, VISIBLE | SIZING | OTHER_THREAD | CONTROL), child("#\u0130", 20, failures=1),
         child("#\u00e9", 30, failures=2), child("\u00c9/a", 40)],
        order=["#\u00c9", "\u00e9"], ignore=["S", "#"]),
    "decoy-client": world([child("a", 10), child("b", 10)], client_class=1, flags=0x10),
    "client-rect-fails": world([child("a", 10, VISIBLE | SIZING | MAXIMIZED), child("b", 20)], flags=0x60),
    "no-client": world([], flags=0xA0),
    "product-wraps": world([child(c, i) for i, c in enumerate("abAB*")], height=0x40000000, flags=3),
    # A client area near the largest int: the band arithmetic must not overflow.
    "widest-client": world([child("a", 10)], width=0x7FFFFFFF, flags=4),
    "tallest-client": world([child("a", 10)], height=0x7FFFFFFE, flags=3),
    "tile-ends-past-int": world([child("a", 10)], height=0x7FFFFFFB, flags=3),
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fuzz_tile_windows")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as seed:
            seed.write(data)
