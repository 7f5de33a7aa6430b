#!/usr/bin/env python3
"""Writes the small set of room files the tests and a fresh checkout build from.

Each room is a sealed box on its 768 x 768 cell: a floor slab, a ceiling slab and a 16-unit
wall on every side, with a 192 x 192 doorway cut into the walls of its open sides. The files
are committed; the build never runs this script.

    python3 scripts/make_test_rooms.py tests/data/rooms data/rooms
"""
import sys
from pathlib import Path

HALF = 384          # half the cell
WALL = 16           # wall thickness, inside the cell
DOOR_HALF = 96      # half the doorway width
DOOR_TOP = 192      # doorway height
FLOOR = -16         # floor slab bottom (top at 0)
MATERIAL = "DEV/DEV_MEASUREGENERIC01B"
NODRAW = "TOOLS/TOOLSNODRAW"

# Connection points of the four sides, north to west.
POINTS = {1: (0, HALF), 2: (HALF, 0), 3: (0, -HALF), 4: (-HALF, 0)}

# name, file stem, type, open sides, height of the ceiling, extra entities
ROOMS = [
    ("Plain corridor", "oneway_plain", 0, (1, 3), 256, []),
    ("Tall corridor", "oneway_tall", 0, (1, 3), 384, []),
    ("Corner", "turn_corner", 1, (1, 2), 256, []),
    ("T-junction", "threeway_hall", 2, (1, 2, 4), 256, []),
    ("Crossing", "cross_square", 3, (1, 2, 3, 4), 256, []),
    ("Dead end", "alley_closet", 4, (1,), 256, []),
    ("Start room", "start_room", 5, (1,), 256,
     [("info_player_start", {"angles": "0 90 0", "origin": "0 0 8"})]),
    ("End room", "end_room", 6, (1,), 256, []),
]


class Writer:
    def __init__(self):
        self.lines = []
        self.next_id = 1

    def block(self, name, pairs, children=()):
        self.lines += [name, "{"]
        for k, v in pairs:
            self.lines += [k, v]
        for child in children:
            child()
        self.lines.append("}")

    def new_id(self):
        i = self.next_id
        self.next_id += 1
        return str(i)


def faces(lo, hi):
    """The six faces of a box as (outward normal, three points clockwise seen from outside)."""
    (x1, y1, z1), (x2, y2, z2) = lo, hi
    return [
        ((0, 0, 1), [(x1, y2, z2), (x2, y2, z2), (x2, y1, z2)]),
        ((0, 0, -1), [(x1, y1, z1), (x2, y1, z1), (x2, y2, z1)]),
        ((-1, 0, 0), [(x1, y2, z2), (x1, y1, z2), (x1, y1, z1)]),
        ((1, 0, 0), [(x2, y2, z1), (x2, y1, z1), (x2, y1, z2)]),
        ((0, 1, 0), [(x2, y2, z2), (x1, y2, z2), (x1, y2, z1)]),
        ((0, -1, 0), [(x2, y1, z1), (x1, y1, z1), (x1, y1, z2)]),
    ]


def axes(normal):
    if normal[2] != 0:
        return "[1 0 0 0] 0.25", "[0 -1 0 0] 0.25"
    if normal[0] != 0:
        return "[0 1 0 0] 0.25", "[0 0 -1 0] 0.25"
    return "[1 0 0 0] 0.25", "[0 0 -1 0] 0.25"


def fmt(p):
    return "(%d %d %d)" % p


def solid(w, lo, hi, outer):
    """A box brush; faces whose normal is in `outer` face away from the room and are not drawn."""
    def body():
        for normal, pts in faces(lo, hi):
            u, v = axes(normal)
            w.block("side", [("id", w.new_id()), ("plane", " ".join(fmt(p) for p in pts)),
                             ("material", NODRAW if normal in outer else MATERIAL),
                             ("uaxis", u), ("vaxis", v), ("rotation", "0"),
                             ("lightmapscale", "16"), ("smoothing_groups", "0")])
        w.block("editor", [("color", "0 180 0"), ("visgroupshown", "1"), ("visgroupautoshown", "1")])
    w.block("solid", [("id", w.new_id())], [body])


def wall_boxes(side, height, open_):
    """Boxes of one wall: whole, or split around a doorway with a lintel above it."""
    # Boxes in the frame of the north wall (x along the wall, y across it), then turned.
    if open_:
        parts = [(-HALF, -DOOR_HALF, 0, height), (DOOR_HALF, HALF, 0, height),
                 (-DOOR_HALF, DOOR_HALF, DOOR_TOP, height)]
    else:
        parts = [(-HALF, HALF, 0, height)]
    boxes = []
    for a, b, z1, z2 in parts:
        if side == 1:
            boxes.append(((a, HALF - WALL, z1), (b, HALF, z2)))
        elif side == 3:
            boxes.append(((a, -HALF, z1), (b, -HALF + WALL, z2)))
        elif side == 2:
            a, b = max(a, -HALF + WALL), min(b, HALF - WALL)
            boxes.append(((HALF - WALL, a, z1), (HALF, b, z2)))
        else:
            a, b = max(a, -HALF + WALL), min(b, HALF - WALL)
            boxes.append(((-HALF, a, z1), (-HALF + WALL, b, z2)))
    return boxes


OUTWARD = {1: (0, 1, 0), 2: (1, 0, 0), 3: (0, -1, 0), 4: (-1, 0, 0)}


def room_text(name, rtype, open_sides, height, entities):
    header = [name, "0", str(rtype)]
    for side in (1, 2, 3, 4):
        if side in open_sides:
            x, y = POINTS[side]
            header += [str(x), str(y), "0", "0"]
        else:
            header += ["0", "0", "0", "0"]
    header += ["A room of the test set.", "Tessellon"]

    w = Writer()
    solid(w, (-HALF, -HALF, FLOOR), (HALF, HALF, 0), {(0, 0, -1)})
    solid(w, (-HALF, -HALF, height), (HALF, HALF, height + WALL), {(0, 0, 1)})
    for side in (1, 2, 3, 4):
        for lo, hi in wall_boxes(side, height, side in open_sides):
            solid(w, lo, hi, {OUTWARD[side]})
    w.lines.append("/\\/worldend\\/\\")
    light = ("light", {"_light": "255 240 220 250", "origin": "0 0 %d" % (height - 32)})
    for cls, keys in [light] + entities:
        pairs = [("id", w.new_id()), ("classname", cls)] + list(keys.items())
        w.block("entity", pairs)
    w.lines.append("/\\/EOF\\/\\")
    return "\r\n".join(header + w.lines) + "\r\n"


def main(folders):
    for folder in folders:
        out = Path(folder)
        out.mkdir(parents=True, exist_ok=True)
        for name, stem, rtype, open_sides, height, entities in ROOMS:
            (out / (stem + ".rgr")).write_bytes(room_text(name, rtype, open_sides, height, entities).encode("ascii"))


if __name__ == "__main__":
    main(sys.argv[1:] or ["tests/data/rooms", "data/rooms"])
