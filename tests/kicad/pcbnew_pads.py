"""Prints the pads of footprints as KiCad itself loads them, for the import tests.

Usage: pcbnew_pads.py FOLDER.pretty NAME...  Exits with 77 when pcbnew cannot be imported.
Each footprint gives a line "footprint NAME", then one line per pad:
"pad NUMBER X Y XSIZE YSIZE ANGLE ATTRIBUTE ON_F_CU ON_B_CU", lengths in nanometres.
"""
import sys

try:
    import pcbnew
except ImportError:
    sys.exit(77)

folder = sys.argv[1]
for name in sys.argv[2:]:
    footprint = pcbnew.FootprintLoad(folder, name)
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
