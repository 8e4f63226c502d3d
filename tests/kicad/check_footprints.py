#!/usr/bin/python3
"""Loads exported footprints in KiCad's own reader and compares what it reports with the
expectations the C++ test wrote from the export rules.

usage: check_footprints.py EXPECTATIONS.json
Exit status 0 when everything matches, 1 on any difference (each one printed), 77 when the
pcbnew module cannot be imported.
"""
import json
import sys

try:
    import pcbnew
except ImportError as error:
    print(f"pcbnew cannot be imported: {error}")
    sys.exit(77)

LAYER_IDS = {
    "F.Cu": pcbnew.F_Cu, "In1.Cu": pcbnew.In1_Cu, "In2.Cu": pcbnew.In2_Cu,
    "In3.Cu": pcbnew.In3_Cu, "In4.Cu": pcbnew.In4_Cu, "B.Cu": pcbnew.B_Cu,
    "F.SilkS": pcbnew.F_SilkS, "B.SilkS": pcbnew.B_SilkS, "Dwgs.User": pcbnew.Dwgs_User,
    "Cmts.User": pcbnew.Cmts_User, "Edge.Cuts": pcbnew.Edge_Cuts, "Eco1.User": pcbnew.Eco1_User,
    "Eco2.User": pcbnew.Eco2_User, "F.Fab": pcbnew.F_Fab, "F.Paste": pcbnew.F_Paste,
    "B.Paste": pcbnew.B_Paste, "F.Mask": pcbnew.F_Mask, "B.Mask": pcbnew.B_Mask,
    "F.CrtYd": pcbnew.F_CrtYd,
}
LAYER_NAMES = {v: k for k, v in LAYER_IDS.items()}
PAD_SHAPES = {"circle": pcbnew.PAD_SHAPE_CIRCLE, "rect": pcbnew.PAD_SHAPE_RECT,
              "oval": pcbnew.PAD_SHAPE_OVAL, "custom": pcbnew.PAD_SHAPE_CUSTOM}
PAD_TYPES = {"thru_hole": pcbnew.PAD_ATTRIB_PTH, "smd": pcbnew.PAD_ATTRIB_SMD}
SHAPE_KINDS = {pcbnew.SHAPE_T_SEGMENT: "line", pcbnew.SHAPE_T_ARC: "arc",
               pcbnew.SHAPE_T_CIRCLE: "circle", pcbnew.SHAPE_T_RECT: "rect",
               pcbnew.SHAPE_T_POLY: "poly"}


def layer_ids(names):
    ids = set()
    for name in names:
        if name == "*.Cu":
            ids.update(pcbnew.LSET.AllCuMask().Seq())
        elif name == "*.Mask":
            ids.update((pcbnew.F_Mask, pcbnew.B_Mask))
        else:
            ids.add(LAYER_IDS[name])
    return sorted(ids)


def text_of(item):
    return {"layer": LAYER_NAMES.get(item.GetLayer(), str(item.GetLayer())),
            "text": item.GetText(), "angle": int(round(item.GetTextAngle() / 10)) % 360,
            "mirrored": bool(item.IsMirrored()), "size": item.GetTextSize().y,
            "thickness": item.GetTextThickness()}


def check_footprint(plugin, folder, expected, problems):
    where = f"{expected['file']}"
    footprint = plugin.FootprintLoad(folder, expected["file"])
    if footprint is None:
        problems.append(f"{where}: KiCad did not load it")
        return

    def differ(what, got, want):
        if got != want:
            problems.append(f"{where}: {what}: KiCad has {got!r}, expected {want!r}")

    differ("value", footprint.GetValue(), expected["value"])
    differ("reference", text_of(footprint.Reference()), expected["reference"])

    pads = list(footprint.Pads())
    differ("pad count", len(pads), len(expected["pads"]))
    for index, (pad, want) in enumerate(zip(pads, expected["pads"])):
        name = f"pad {index + 1}"
        differ(f"{name} number", pad.GetNumber(), want["number"])
        position = pad.GetPosition()
        differ(f"{name} position", (position.x, position.y), tuple(want["at"]))
        size = pad.GetSize()
        differ(f"{name} size", (size.x, size.y), tuple(want["size"]))
        differ(f"{name} shape", pad.GetShape(), PAD_SHAPES[want["shape"]])
        differ(f"{name} type", pad.GetAttribute(), PAD_TYPES[want["type"]])
        drill = pad.GetDrillSize()
        differ(f"{name} drill", (drill.x, drill.y), (want.get("drill", 0), want.get("drill", 0)))
        differ(f"{name} layers", sorted(pad.GetLayerSet().Seq()), layer_ids(want["layers"]))
        if want["shape"] == "custom":
            # The outline with the anchor merged in, relative to the pad: the anchor must not
            # show, so exactly the eight corners remain (KiCad may start at another one).
            merged = pcbnew.SHAPE_POLY_SET()
            pad.MergePrimitivesAsPolygon(merged)
            differ(f"{name} outline count", merged.OutlineCount(), 1)
            if merged.OutlineCount():
                outline = merged.Outline(0)
                corners = sorted((outline.CPoint(i).x, outline.CPoint(i).y)
                                 for i in range(outline.PointCount()))
                differ(f"{name} outline", corners, sorted(set(tuple(c) for c in want["outline"])))

    shapes = {}
    texts = []
    arcs = []
    for item in footprint.GraphicalItems():
        layer = LAYER_NAMES.get(item.GetLayer(), str(item.GetLayer()))
        if item.GetClass() == "MTEXT":
            texts.append(text_of(item))
        else:
            kind = SHAPE_KINDS.get(item.GetShape(), str(item.GetShape()))
            if kind == "arc":
                arcs.append((item.GetCenter(), item.GetArcMid()))
            key = f"{layer} {kind}"
            shapes[key] = shapes.get(key, 0) + 1
    differ("drawings per layer", shapes, expected["shapes"])
    differ("arc count", len(arcs), len(expected["arcs"]))
    for index, ((center, mid), want) in enumerate(zip(arcs, expected["arcs"])):
        # KiCad works the centre out from three points rounded to the nanometre.
        for what, got, point in (("centre", center, want["center"]), ("mid", mid, want["mid"])):
            if abs(got.x - point[0]) > 5 or abs(got.y - point[1]) > 5:
                problems.append(f"{where}: arc {index + 1} {what}: KiCad has "
                                f"{(got.x, got.y)}, expected {tuple(point)}")
    differ("texts", texts, expected["texts"])


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        expectations = json.load(f)
    problems = []
    # One plugin for every folder: it reads a folder once and keeps it, where
    # pcbnew.FootprintLoad reads the whole folder again for each footprint.
    plugin = pcbnew.IO_MGR.PluginFind(pcbnew.IO_MGR.KICAD_SEXP)
    for folder in expectations["folders"]:
        for footprint in folder["footprints"]:
            check_footprint(plugin, folder["path"], footprint, problems)
    for problem in problems:
        print(problem)
    count = sum(len(folder["footprints"]) for folder in expectations["folders"])
    print(f"{count} footprints checked, {len(problems)} differences")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
