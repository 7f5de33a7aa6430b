#!/usr/bin/env python3
"""Writes the small test rooms of the room pipeline tests (run from this folder).

Each room is a floor slab over its 768 x 768 cell with a few entities that exercise turning,
moving, renaming and placeholder removal. Rooms are written with CRLF line ends like the
room kit writes them."""

SIDES = ("north", "east", "south", "west")
POINTS = {"north": (0, 384), "east": (384, 0), "south": (0, -384), "west": (-384, 0)}


def box(x0, y0, z0, x1, y1, z1, material="DEV/DEV_MEASUREGENERIC01B"):
    faces = [
        ((x0, y1, z1), (x1, y1, z1), (x1, y0, z1), "[1 0 0 0] 0.25", "[0 -1 0 0] 0.25"),
        ((x0, y0, z0), (x1, y0, z0), (x1, y1, z0), "[1 0 0 0] 0.25", "[0 -1 0 0] 0.25"),
        ((x0, y1, z1), (x0, y0, z1), (x0, y0, z0), "[0 1 0 0] 0.25", "[0 0 -1 0] 0.25"),
        ((x1, y1, z0), (x1, y0, z0), (x1, y0, z1), "[0 1 0 0] 0.25", "[0 0 -1 0] 0.25"),
        ((x1, y1, z1), (x0, y1, z1), (x0, y1, z0), "[1 0 0 0] 0.25", "[0 0 -1 0] 0.25"),
        ((x1, y0, z0), (x0, y0, z0), (x0, y0, z1), "[1 0 0 0] 0.25", "[0 0 -1 0] 0.25"),
    ]
    out = ["solid", "{", "id", "1"]
    for a, b, c, u, v in faces:
        plane = " ".join("(%g %g %g)" % p for p in (a, b, c))
        out += ["side", "{", "id", "1", "plane", plane, "material", material, "uaxis", u, "vaxis", v,
                "rotation", "0", "lightmapscale", "16", "smoothing_groups", "0", "}"]
    out += ["editor", "{", "color", "0 180 0", "visgroupshown", "1", "}", "}"]
    return out


def entity(classname, keys, solids=(), connections=()):
    out = ["entity", "{", "id", "1", "classname", classname]
    for k, v in keys:
        out += [k, v]
    if connections:
        out += ["connections", "{"]
        for k, v in connections:
            out += [k, v]
        out += ["}"]
    for s in solids:
        out += s
    out += ["}"]
    return out


def room(name, genre, rtype, open_sides, world, entities, heights=None):
    heights = heights or {}
    head = [name, str(genre), str(rtype)]
    for side in SIDES:
        if side in open_sides:
            x, y = POINTS[side]
            head += [str(x), str(y), str(heights.get(side, 0)), "0"]
        else:
            head += ["0", "0", "0", "0"]
    head += ["Test room " + name, "tessellon tests"]
    assert len(head) == 21
    body = []
    for w in world:
        body += w
    body.append("/\\/worldend\\/\\")
    for e in entities:
        body += e
    body.append("/\\/EOF\\/\\")
    body.append("this line follows the end marker and is never read")
    with open(name + ".rgr", "w", newline="\r\n") as f:
        f.write("\n".join(head + body) + "\n")


floor = box(-384, -384, -16, 384, 384, 0)

room("t_start", 0, 5, ["north"], [floor], [
    entity("info_player_start", [("origin", "0 -200 16"), ("angles", "0 90 0")]),
    entity("vornic_weapon", [("targetname", "spot1"), ("origin", "64 64 16")]),
    entity("light", [("origin", "0 0 128"), ("_light", "255 255 255 200")]),
])

room("t_oneway", 0, 0, ["north", "south"], [floor, box(-384, 0, 0, 384, 384, 64)], [
    entity("func_door", [("targetname", "door1"), ("angles", "0 90 0"), ("speed", "100")],
           solids=[box(-96, 360, 64, 96, 376, 256, "TOOLS/TOOLSNODRAW")]),
    entity("trigger_once", [("target", "DOOR1"), ("spawnflags", "1")],
           solids=[box(-64, -64, 0, 64, 64, 64, "TOOLS/TOOLSTRIGGER")],
           connections=[("OnTrigger", "door1,Open,,0,-1"), ("OnTrigger", "lamp,TurnOn,,1.5,-1")]),
    entity("light_spot", [("targetname", "lamp"), ("origin", "32.5 -48 96"), ("angles", "-45 180 0")]),
    entity("prop_static", [("origin", "100 100 0"), ("angles", "0 45 0"), ("model", "models/props_c17/oildrum001.mdl")]),
    entity("vornic_spawn_contoller", [("targetname", "ctl"), ("origin", "0 0 8")]),
], heights={"north": 64})

room("t_turn", 0, 1, ["north", "east"], [floor], [
    entity("info_node", [("origin", "128 128 8"), ("nodeid", "3")]),
    entity("path_corner", [("targetname", "corner_a"), ("target", "corner_b"), ("origin", "-100 0 8")]),
    entity("path_corner", [("targetname", "corner_b"), ("target", "corner_a"), ("origin", "100 0 8")]),
])

room("t_three", 0, 2, ["north", "east", "west"], [floor], [
    entity("env_sprite", [("targetname", "glow"), ("origin", "0 0 64"), ("parentname", "glow")]),
])

room("t_cross", 0, 3, ["north", "east", "south", "west"], [floor], [
    entity("light_dynamic", [("origin", "0 0 200"), ("angles", "0 0 0")]),
])

room("t_alley", 0, 4, ["north"], [floor], [
    entity("item_healthkit", [("origin", "0 0 16"), ("angles", "0 180 0")]),
])

room("t_end", 0, 6, ["north"], [floor], [
    entity("game_end", [("targetname", "finish"), ("origin", "0 0 16")]),
    entity("trigger_once", [("spawnflags", "1")], solids=[box(-64, -64, 0, 64, 64, 64, "TOOLS/TOOLSTRIGGER")],
           connections=[("OnStartTouch", "finish,EndGame,,0,-1")]),
])

with open("t_noend.rgr", "w", newline="\r\n") as f:
    f.write("\n".join(["t_noend", "0", "4"] + ["0"] * 16 + ["broken", "tests"] + floor) + "\n")
