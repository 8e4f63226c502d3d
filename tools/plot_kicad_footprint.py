#!/usr/bin/python3
"""Plots footprints as KiCad loads them, for comparing by eye with the viewer's pictures.

usage: plot_kicad_footprint.py FOLDER.pretty NAME OUT.png
Puts the footprint on an empty board, has pcbnew plot each layer in colour to SVG, and lays
the layers over one another with ImageMagick into one trimmed PNG.
"""
import os
import re
import subprocess
import sys
import tempfile

import pcbnew

# Each layer in the viewer's colour for the library layer it came from (F.Fab, which holds the
# value field, in grey).
LAYERS = [(pcbnew.F_Cu, "#FF5555"), (pcbnew.In1_Cu, "#0000AA"), (pcbnew.B_Cu, "#5555FF"),
          (pcbnew.F_SilkS, "#DDDD00"), (pcbnew.B_SilkS, "#FF55FF"), (pcbnew.Dwgs_User, "#5555FF"),
          (pcbnew.Cmts_User, "#55CCCC"), (pcbnew.Edge_Cuts, "#AA5500"),
          (pcbnew.F_CrtYd, "#AA00AA"), (pcbnew.Eco2_User, "#AA0000"), (pcbnew.F_Fab, "#999999")]


def main():
    folder, name, png = sys.argv[1:4]
    board = pcbnew.BOARD()
    # The plugin reads the folder once; pcbnew.FootprintLoad would read it for every call.
    footprint = pcbnew.IO_MGR.PluginFind(pcbnew.IO_MGR.KICAD_SEXP).FootprintLoad(folder, name)
    if footprint is None:
        sys.exit(f"KiCad cannot load {name} from {folder}")
    board.Add(footprint)
    footprint.SetPosition(pcbnew.wxPoint(150_000_000, 100_000_000))
    box = footprint.GetBoundingBox(True, True)
    margin = max(box.GetWidth(), box.GetHeight()) // 20 + 500_000
    left, top = box.GetX() - margin, box.GetY() - margin
    width, height = box.GetWidth() + 2 * margin, box.GetHeight() + 2 * margin
    scale = 1000 / max(width, height)
    view = (f'width="{round(width * scale)}px" height="{round(height * scale)}px" '
            f'viewBox="{left} {top} {width} {height}"')
    with tempfile.TemporaryDirectory() as out:
        controller = pcbnew.PLOT_CONTROLLER(board)
        options = controller.GetPlotOptions()
        options.SetOutputDirectory(out)
        options.SetPlotFrameRef(False)
        options.SetAutoScale(False)
        options.SetScale(1)
        options.SetMirror(False)
        options.SetPlotValue(True)
        options.SetPlotReference(True)
        options.SetDrillMarksType(pcbnew.PCB_PLOT_PARAMS.FULL_DRILL_SHAPE)
        controller.SetColorMode(True)
        pictures = []
        for layer, _ in LAYERS:
            controller.SetLayer(layer)
            controller.OpenPlotfile(board.GetLayerName(layer).replace(".", "_"),
                                    pcbnew.PLOT_FORMAT_SVG, name)
            controller.PlotLayer()
            pictures.append(controller.GetPlotFileName())
            controller.ClosePlot()
        # Each layer on white first, so that multiplying them keeps every layer's colour.
        flat = []
        for index, (picture, (_, colour)) in enumerate(zip(pictures, LAYERS)):
            # The invisible <text> copies KiCad adds for searching trip ImageMagick up.
            with open(picture, encoding="utf-8") as f:
                svg = re.sub(r"<text[^>]*>.*?</text>", "", f.read(), flags=re.S)
            # Only the footprint's box of the page, about 1000 pixels across.
            svg = re.sub(r'width="[^"]*" height="[^"]*" viewBox="[^"]*"', view, svg, count=1)
            clean = os.path.join(out, f"{index}.svg")
            with open(clean, "w", encoding="utf-8") as f:
                f.write(svg)
            flat.append(os.path.join(out, f"{index}.png"))
            subprocess.run(["convert", "-background", "white", clean,
                            "-flatten", "+level-colors", f"{colour},white", flat[-1]],
                           check=True)
        command = ["convert", flat[0]]
        for picture in flat[1:]:
            command += [picture, "-compose", "multiply", "-composite"]
        command += [png]
        subprocess.run(command, check=True)
    print(png)


if __name__ == "__main__":
    main()
