"""Prints footprints as KiCad itself loads them, for the import and round-trip tests.

Usage: pcbnew_pads.py FOLDER.pretty NAME...  Exits with 77 when pcbnew cannot be imported.
Each footprint gives a line "footprint NAME", then one line per pad:
"pad NUMBER X Y XSIZE YSIZE ANGLE ATTRIBUTE ON_F_CU ON_B_CU", lengths in nanometres, then
"reference LAYER TEXT", one "text LAYER TEXT" per other text and one "drawing LAYER" per
drawing (layer names as KiCad writes them, spaces in texts as _).
"""
import sys

try:
    import pcbnew
except ImportError:
    sys.exit(77)

folder = sys.argv[1]
# One plugin reads the folder once and keeps it for every footprint.
plugin = pcbnew.IO_MGR.PluginFind(pcbnew.IO_MGR.KICAD_SEXP)
board = pcbnew.BOARD()
for name in sys.argv[2:]:
    footprint = plugin.FootprintLoad(folder, name)
    if footprint is None:
        print("missing", name)
        continue
    print("footprint", name)
    for pad in footprint.Pads():
        number = pad.GetNumber() if pad.GetNumber() else "-"
        position = pad.GetPosition()
        size = pad.GetSize()
        print("pad", number.replace(" ", "_"), position.x, position.y, size.x, size.y,
              pad.GetOrientationDegrees(), pad.GetAttribute(),
              int(pad.IsOnLayer(pcbnew.F_Cu)), int(pad.IsOnLayer(pcbnew.B_Cu)))
    reference = footprint.Reference()
    print("reference", board.GetLayerName(reference.GetLayer()),
          reference.GetText().replace(" ", "_") or "-")
    for item in footprint.GraphicalItems():
        layer = board.GetLayerName(item.GetLayer())
        if item.GetClass() == "MTEXT":
            print("text", layer, item.GetText().replace(" ", "_") or "-")
        else:
            print("drawing", layer)
