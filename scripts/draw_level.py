#!/usr/bin/env python3
"""Draws a level file seen from above as a PNG (standard library only).

    python3 scripts/draw_level.py out/default/level1.vmf level.png [--width 1400]

Floors take the colour of their material family and get brighter the higher they stand;
ceilings and sky are left out so the rooms show. Detail brushes are drawn a little warmer,
water blue. Dots: characters red, weapons yellow, items green, the player start white with a
ring, props brown, lights pale; AI nodes cyan (cover hints magenta, air nodes blue), cube maps
lavender.
"""
import os
import re
import struct
import sys
import zlib

TOKEN = re.compile(r'"([^"]*)"|(\{)|(\})|([^\s{}"]+)')


def parse_vmf(text):
    """Blocks as (name, keys, children) from Valve map text."""
    root = ("root", [], [])
    stack = [root]
    pending = None
    name = None
    for m in TOKEN.finditer(text):
        quoted, open_, close, bare = m.groups()
        if open_:
            block = (name or "", [], [])
            stack[-1][2].append(block)
            stack.append(block)
            name = None
        elif close:
            if len(stack) > 1:
                stack.pop()
        elif quoted is not None:
            if pending is None:
                pending = quoted
            else:
                stack[-1][1].append((pending, quoted))
                pending = None
        else:
            name = bare
    return root


def get(block, key, default=""):
    for k, v in block[1]:
        if k.lower() == key:
            return v
    return default


PLANE = re.compile(r"\(([-\d.e]+) ([-\d.e]+) ([-\d.e]+)\)")


def solid_shape(solid):
    """Bounds of a brush from its plane points and the material of its top face."""
    pts, top_mat, top_z = [], None, None
    faces = []
    for side in solid[2]:
        if side[0] != "side":
            continue
        p = [tuple(float(c) for c in g) for g in PLANE.findall(get(side, "plane"))]
        if len(p) != 3:
            continue
        pts += p
        faces.append((p, get(side, "material").upper()))
    if not pts:
        return None
    lo = [min(p[i] for p in pts) for i in range(3)]
    hi = [max(p[i] for p in pts) for i in range(3)]
    for p, mat in faces:
        if all(abs(q[2] - hi[2]) < 0.01 for q in p):
            top_mat = mat
    # A wall that meets the ceiling hides its top; it shows by the material of its sides.
    if (top_mat or "").startswith("TOOLS") and hi[2] - lo[2] > 64:
        seen = [mat for _p, mat in faces if not mat.startswith("TOOLS")]
        top_mat = seen[0] if seen else top_mat
    return lo, hi, top_mat or faces[0][1]


FAMILY = [
    ("WATER", (40, 90, 200)), ("CONCRETE", (150, 150, 150)), ("BRICK", (170, 90, 70)),
    ("METAL", (110, 130, 150)), ("PLASTER", (200, 190, 160)), ("WOOD", (150, 105, 60)),
    ("TILE", (150, 200, 200)), ("STONE", (175, 160, 120)), ("NATURE", (120, 130, 70)),
    ("PROPS/CARPET", (130, 60, 60)), ("TOOLS/TOOLSTRIGGER", None), ("TOOLS", None),
]


def colour_of(mat):
    for prefix, colour in FAMILY:
        if mat.startswith(prefix) or prefix in mat:
            return colour
    return (160, 160, 160)


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    width = int(argv[argv.index("--width") + 1]) if "--width" in argv else 1400
    root = parse_vmf(open(argv[1], encoding="latin-1").read())
    brushes, things = [], []
    for block in root[2]:
        if block[0] == "world":
            brushes += [(s, False) for s in block[2] if s[0] == "solid"]
        elif block[0] == "entity":
            cls = get(block, "classname")
            if cls == "func_detail":
                brushes += [(s, True) for s in block[2] if s[0] == "solid"]
            origin = get(block, "origin")
            if origin:
                things.append((cls, [float(c) for c in origin.split()[:3]]))
    shapes = []
    for solid, detail in brushes:
        shape = solid_shape(solid)
        if shape:
            shapes.append(shape + (detail,))
    if not shapes:
        print("no brushes in " + argv[1])
        return 1
    # Ceilings and sky have tool materials on top (nodraw, skybox): leave them out so the
    # floors show.
    shapes = [s for s in shapes if colour_of(s[2]) is not None]
    x0 = min(s[0][0] for s in shapes) - 32
    x1 = max(s[1][0] for s in shapes) + 32
    y0 = min(s[0][1] for s in shapes) - 32
    y1 = max(s[1][1] for s in shapes) + 32
    scale = width / (x1 - x0)
    height = max(1, int((y1 - y0) * scale))
    zmin = min(s[1][2] for s in shapes)
    zmax = max(s[1][2] for s in shapes)
    img = bytearray(bytes((20, 20, 28)) * (width * height))

    def fill(ax, ay, bx, by, colour):
        px0 = max(0, int((ax - x0) * scale))
        px1 = min(width, max(px0 + 1, int((bx - x0) * scale)))
        py0 = max(0, int((y1 - by) * scale))
        py1 = min(height, max(py0 + 1, int((y1 - ay) * scale)))
        row = bytes(colour) * (px1 - px0)
        for py in range(py0, py1):
            at = (py * width + px0) * 3
            img[at:at + len(row)] = row

    # Low tops first so what stands higher covers them; walls reach the ceiling and show dark.
    for lo, hi, mat, detail in sorted(shapes, key=lambda s: s[1][2]):
        base = colour_of(mat)
        t = (hi[2] - zmin) / max(1.0, zmax - zmin)
        shade = 0.55 + 0.45 * t if hi[2] - lo[2] < 200 or "WATER" in mat else 0.35
        c = [min(255, int(v * shade)) for v in base]
        if detail:
            c = [min(255, c[0] + 30), min(255, c[1] + 15), c[2]]
        fill(lo[0], lo[1], hi[0], hi[1], c)

    dots = {"npc_": ((230, 40, 40), 14), "weapon_": ((250, 220, 40), 12), "item_": ((60, 220, 90), 10),
            "prop_": ((120, 75, 35), 10), "light": ((255, 250, 210), 6), "info_node_hint": ((230, 60, 230), 7),
            "info_node_air": ((90, 140, 255), 5), "info_node": ((40, 220, 230), 6), "env_cubemap": ((200, 200, 255), 4)}
    for cls, (x, y, _z) in things:
        if cls == "info_player_start":
            fill(x - 40, y - 40, x + 40, y + 40, (255, 255, 255))
            fill(x - 24, y - 24, x + 24, y + 24, (20, 20, 28))
            fill(x - 12, y - 12, x + 12, y + 12, (255, 255, 255))
            continue
        for prefix, (colour, r) in dots.items():
            if cls.startswith(prefix):
                fill(x - r, y - r, x + r, y + r, colour)
                break

    raw = b"".join(b"\x00" + bytes(img[y * width * 3:(y + 1) * width * 3]) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    tmp = argv[2] + ".tmp"
    with open(tmp, "wb") as f:
        f.write(png)
    os.replace(tmp, argv[2])
    print("%s: %d x %d, %d brushes, %d entities" % (argv[2], width, height, len(shapes), len(things)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
