// Writes the sample libraries: footprints of common through-hole and surface-mount parts, drawn
// in mils with y upward, that together use every primitive kind, every pad shape and all eight
// text orientations. Usage: make_samples OUTPUT_DIRECTORY

#include "library.h"
#include "primitive_factory.h"
#include "record_layout.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// Short names for the field codes the footprints use.
constexpr std::uint8_t kTopCopper = kTopLayer;
constexpr std::uint8_t kBottomCopper = kBottomLayer;
constexpr std::uint8_t kKeepOut = kKeepOutLayer;
constexpr std::uint8_t kMulti = kMultiLayer;

constexpr PadShape kRound = PadShape::Round;
constexpr PadShape kRectangle = PadShape::Rectangle;
constexpr PadShape kOctagon = PadShape::Octagon;
constexpr PadShape kOblong = PadShape::Rounded;

constexpr int kUR = arc_quarter::kUpperRight;
constexpr int kUL = arc_quarter::kUpperLeft;
constexpr int kLL = arc_quarter::kLowerLeft;
constexpr int kLR = arc_quarter::kLowerRight;
constexpr int kCircle = arc_quarter::kAll;

constexpr int kSilkWidth = 10;
constexpr int kTextHeight = 60;
constexpr int kTextWidth = 8;

/// Collects the primitives of one footprint. A bottom-side footprint is the top-side drawing
/// mirrored about the y axis, with its layers moved to the bottom and its text mirrored.
class Footprint {
public:
    Footprint(std::string name, bool bottom) : component_(makeEntry(name)), bottom_(bottom) {}

    void pad(int x, int y, int xSize, int ySize, PadShape shape, bool smd = false) {
        const std::uint8_t layer = smd ? copper() : kMulti;
        component_.addPrimitive(makePad(layer, mx(x), y, xSize, ySize, static_cast<int>(shape)));
    }
    void track(int x1, int y1, int x2, int y2, int width = kSilkWidth) {
        component_.addPrimitive(makeTrack(overlay(), mx(x1), y1, mx(x2), y2, width));
    }
    void rectangle(int x1, int y1, int x2, int y2) {
        track(x1, y1, x2, y1);
        track(x2, y1, x2, y2);
        track(x2, y2, x1, y2);
        track(x1, y2, x1, y1);
    }
    void arc(int x, int y, int radius, int quarters, int width = kSilkWidth) {
        component_.addPrimitive(
            makeArc(overlay(), mx(x), y, radius, mirrorQuarters(quarters), width));
    }
    void keepOutCircle(int x, int y, int radius) {
        component_.addPrimitive(makeArc(kKeepOut, mx(x), y, radius, kCircle, 5));
    }
    void silkFill(int x1, int y1, int x2, int y2) {
        component_.addPrimitive(makeFill(overlay(), mx(x1), y1, mx(x2), y2));
    }
    void copperFill(int x1, int y1, int x2, int y2) {
        component_.addPrimitive(makeFill(copper(), mx(x1), y1, mx(x2), y2));
    }
    void via(int x, int y, int diameter, int hole) {
        component_.addPrimitive(makeVia(kMulti, mx(x), y, diameter, hole));
    }
    /// Text anchored at its lower left corner as read, in one of the four turns 0 to 3.
    void text(int x, int y, int orientation, const std::string& value, int height = kTextHeight) {
        component_.addPrimitive(
            makeString(overlay(), mx(x), y, height, kTextWidth,
                       bottom_ ? orientation + kMirroredOrientation : orientation, value));
    }

    const Component& component() const { return component_; }

private:
    int mx(int x) const { return bottom_ ? -x : x; }
    std::uint8_t copper() const { return bottom_ ? kBottomCopper : kTopCopper; }
    std::uint8_t overlay() const { return bottom_ ? kBottomOverlay : kTopOverlay; }
    int mirrorQuarters(int q) const {
        if (!bottom_) return q;
        return ((q & kUR) ? kUL : 0) | ((q & kUL) ? kUR : 0) | ((q & kLL) ? kLR : 0) |
               ((q & kLR) ? kLL : 0);
    }

    Component component_;
    bool bottom_;
};

using Drawing = std::function<void(Footprint&)>;

struct Part {
    std::string name;
    Drawing draw;
    bool bottom = false;
};

// Dual in-line package: pins 100 mils apart, pin 1 square at the origin, counting
// counter-clockwise seen from the top.
Drawing dip(int pins, int rowSpacing) {
    return [=](Footprint& f) {
        const int perRow = pins / 2;
        const int length = (perRow - 1) * 100;
        f.rectangle(-60, 60, length + 60, rowSpacing - 60);
        f.arc(-60, rowSpacing / 2, 30, kUR | kLR);
        f.text(-60, rowSpacing + 20, 0, "U?");
        for (int i = 0; i < perRow; ++i) {
            f.pad(i * 100, 0, 62, 62, i == 0 ? kRectangle : kRound);
            f.pad(length - i * 100, rowSpacing, 62, 62, kRound);
        }
    };
}

// Small-outline package: pads 50 mils apart on the top copper, pin 1 marked by a dot.
Drawing soic(int pins, bool exposedPad) {
    return [=](Footprint& f) {
        const int perRow = pins / 2;
        const int length = (perRow - 1) * 50;
        const int row = 240;
        f.rectangle(-30, 40, length + 30, row - 40);
        f.track(-30, 70, 0, 40, 8);
        f.arc(-10, -50, 8, kCircle, 10);
        f.text(-30, row + 50, 0, "U?");
        for (int i = 0; i < perRow; ++i) {
            f.pad(i * 50, 0, 24, 80, kRectangle, true);
            f.pad(length - i * 50, row, 24, 80, kRectangle, true);
        }
        if (exposedPad) {
            f.copperFill(length / 2 - 45, row / 2 - 60, length / 2 + 45, row / 2 + 60);
            for (int vx : {-25, 25}) {
                for (int vy : {-35, 0, 35}) f.via(length / 2 + vx, row / 2 + vy, 24, 12);
            }
        }
    };
}

Drawing axial(int pitch, bool diode) {
    return [=](Footprint& f) {
        const int bodyStart = pitch / 4;
        const int bodyEnd = pitch - pitch / 4;
        f.rectangle(bodyStart, -40, bodyEnd, 40);
        f.track(40, 0, bodyStart, 0);
        f.track(bodyEnd, 0, pitch - 40, 0);
        if (diode) f.silkFill(bodyEnd - 30, -40, bodyEnd - 15, 40);
        f.text(bodyStart, 60, 0, diode ? "D?" : "R?");
        f.pad(0, 0, 70, 70, diode ? kRectangle : kRound);
        f.pad(pitch, 0, 70, 70, kRound);
    };
}

Drawing ceramic(int pitch) {
    return [=](Footprint& f) {
        f.rectangle(-50, -40, pitch + 50, 40);
        f.text(-80, -40, 1, "C?");
        f.pad(0, 0, 62, 62, kOctagon);
        f.pad(pitch, 0, 62, 62, kOctagon);
    };
}

Drawing electrolytic(int pitch, int diameter) {
    return [=](Footprint& f) {
        const int centre = pitch / 2;
        f.arc(centre, 0, diameter / 2, kCircle);
        f.track(-60, 60, -20, 60);
        f.track(-40, 40, -40, 80);
        f.text(centre - 60, diameter / 2 + 20, 0, "C?");
        f.pad(0, 0, 70, 70, kRectangle);
        f.pad(pitch, 0, 70, 70, kRound);
    };
}

// Surface-mount chip resistor or capacitor; length and width of the pads in mils.
Drawing chip(int pitch, int padX, int padY) {
    return [=](Footprint& f) {
        const int half = pitch / 2;
        f.rectangle(-half - padX / 2 - 15, -padY / 2 - 15, half + padX / 2 + 15, padY / 2 + 15);
        f.text(-half - padX / 2 - 15, padY / 2 + 35, 0, "R?", 40);
        f.pad(-half, 0, padX, padY, kRectangle, true);
        f.pad(half, 0, padX, padY, kRectangle, true);
    };
}

Drawing trimmer() {
    return [](Footprint& f) {
        f.arc(100, 60, 140, kCircle);
        f.arc(100, 60, 40, kUL | kUR);
        f.track(60, 60, 140, 60);
        f.track(100, 60, 100, 100);
        f.text(-40, 230, 0, "VR?");
        f.pad(0, 0, 70, 70, kRectangle);
        f.pad(100, 200, 70, 70, kRound);
        f.pad(200, 0, 70, 70, kRound);
    };
}

// TO-92 with its flat side down; `turns` 2 draws it turned half a turn.
Drawing to92(bool turned) {
    return [=](Footprint& f) {
        const int s = turned ? -1 : 1;
        f.arc(100, 0, 105, turned ? (kLL | kLR) : (kUL | kUR));
        f.track(-5, -50 * s, 205, -50 * s);
        f.track(-5, -50 * s, -5, 0);
        f.track(205, -50 * s, 205, 0);
        if (turned) {
            f.text(160, -140, 2, "Q?");
        } else {
            f.text(40, 140, 0, "Q?");
        }
        f.pad(0, 0, 50, 80, kOblong);
        f.pad(100, 0, 50, 80, kOblong);
        f.pad(200, 0, 50, 80, kOblong);
    };
}

Drawing to220Vertical() {
    return [](Footprint& f) {
        f.rectangle(-100, -70, 300, 110);
        f.track(-100, 70, 300, 70);
        f.track(-20, 70, -20, 110, 8);
        f.track(220, 70, 220, 110, 8);
        f.text(-100, 140, 0, "Q?");
        f.pad(0, 0, 70, 120, kOblong);
        f.pad(100, 0, 70, 120, kOblong);
        f.pad(200, 0, 70, 120, kOblong);
    };
}

// TO-220 lying on the board, the tab away from the pins, with its mounting hole.
Drawing to220Horizontal() {
    return [](Footprint& f) {
        f.rectangle(-100, 150, 300, 550);
        f.rectangle(-100, 550, 300, 760);
        f.silkFill(-100, 545, 300, 555);
        for (int x : {0, 100, 200}) f.track(x, 60, x, 150);
        f.via(100, 650, 200, 130);
        f.keepOutCircle(100, 650, 130);
        f.text(340, 760, 3, "Q?");
        f.pad(0, 0, 70, 120, kOblong);
        f.pad(100, 0, 70, 120, kOblong);
        f.pad(200, 0, 70, 120, kOblong);
    };
}

Drawing sot23() {
    return [](Footprint& f) {
        f.rectangle(-70, -30, 70, 30);
        f.text(-120, -40, 1, "Q?", 40);
        f.pad(-37, -45, 35, 40, kRectangle, true);
        f.pad(37, -45, 35, 40, kRectangle, true);
        f.pad(0, 45, 35, 40, kRectangle, true);
    };
}

Drawing sot223() {
    return [](Footprint& f) {
        f.rectangle(-140, -70, 140, 70);
        f.text(-140, 220, 0, "Q?");
        for (int x : {-90, 0, 90}) f.pad(x, -125, 40, 80, kRectangle, true);
        f.pad(0, 125, 130, 80, kRectangle, true);
    };
}

Drawing led5mm() {
    return [](Footprint& f) {
        f.arc(50, 0, 118, kUL | kLL | kUR, 10);
        f.arc(50, 0, 118, kLR, 10);
        f.track(150, -60, 150, 60);
        f.text(-70, 140, 0, "D?");
        f.pad(0, 0, 70, 70, kRectangle);
        f.pad(100, 0, 70, 70, kRound);
    };
}

Drawing crystalHc49() {
    return [](Footprint& f) {
        f.arc(-10, 0, 90, kUL | kLL);
        f.arc(202, 0, 90, kUR | kLR);
        f.track(-10, 90, 202, 90);
        f.track(-10, -90, 202, -90);
        f.text(-100, 120, 0, "Y?");
        f.pad(0, 0, 60, 60, kRound);
        f.pad(192, 0, 60, 60, kRound);
    };
}

Drawing singleRow(int pins) {
    return [=](Footprint& f) {
        f.rectangle(-50, -50, (pins - 1) * 100 + 50, 50);
        f.track(50, -50, 50, 50);
        f.text(-50, 80, 0, "J?");
        f.text(-20, -130, 0, "1", 40);
        for (int i = 0; i < pins; ++i) f.pad(i * 100, 0, 66, 66, i == 0 ? kRectangle : kOctagon);
    };
}

Drawing boxHeader(int pins) {
    return [=](Footprint& f) {
        const int perRow = pins / 2;
        const int length = (perRow - 1) * 100;
        f.rectangle(-180, -130, length + 180, 230);
        f.track(length / 2 - 80, -130, length / 2 - 80, -90);
        f.track(length / 2 + 80, -130, length / 2 + 80, -90);
        f.track(length / 2 - 80, -90, length / 2 + 80, -90);
        f.text(-210, -130, 1, "J?");
        f.text(length + 210, 230, 3, "IDC");
        for (int i = 0; i < perRow; ++i) {
            f.pad(i * 100, 0, 66, 66, i == 0 ? kRectangle : kRound);
            f.pad(i * 100, 100, 66, 66, kRound);
        }
    };
}

Drawing dSub9() {
    return [](Footprint& f) {
        f.rectangle(-650, -160, 650, 340);
        f.arc(-250, 110, 60, kUL);
        f.arc(250, 110, 60, kUR);
        f.track(-310, 110, -250, -60);
        f.track(310, 110, 250, -60);
        f.track(-250, 170, 250, 170);
        f.track(-250, -60, 250, -60);
        f.text(-200, 370, 0, "DB9 FEMALE");
        for (int i = 0; i < 5; ++i) f.pad(216 - i * 108, 0, 60, 60, i == 0 ? kRectangle : kRound);
        for (int i = 0; i < 4; ++i) f.pad(162 - i * 108, 112, 60, 60, kRound);
        f.pad(-492, 56, 160, 160, kRound);
        f.pad(492, 56, 160, 160, kRound);
    };
}

Drawing screwTerminal(int poles) {
    return [=](Footprint& f) {
        const int length = (poles - 1) * 200;
        f.rectangle(-100, -160, length + 100, 200);
        f.track(-100, 120, length + 100, 120);
        for (int i = 0; i < poles; ++i) f.arc(i * 200, 0, 70, kCircle, 8);
        f.text(-100, 230, 0, "TB?");
        for (int i = 0; i < poles; ++i) f.pad(i * 200, 0, 110, 110, i == 0 ? kRectangle : kRound);
    };
}

void write(const std::filesystem::path& path, const std::vector<Part>& parts) {
    Library library;
    // Each copy goes to the head of the list, so adding in reverse leaves the parts in order.
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        Footprint footprint(part->name, part->bottom);
        part->draw(footprint);
        library.addCopy(footprint.component());
    }
    if (const SaveResult result = library.save(path.string()); !result) {
        std::fprintf(stderr, "make_samples: %s\n", result.reason.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);

    write(out / "IC.LIB", {{"DIP8", dip(8, 300)},
                           {"DIP14", dip(14, 300)},
                           {"DIP16", dip(16, 300)},
                           {"DIP20", dip(20, 300)},
                           {"DIP28", dip(28, 600)},
                           {"DIP40", dip(40, 600)},
                           {"SO8", soic(8, false)},
                           {"SO14", soic(14, false)},
                           {"SO16", soic(16, false)},
                           {"SO8-EP", soic(8, true)},
                           {"SO8-BOT", soic(8, false), true},
                           {"DIP8-BOT", dip(8, 300), true}});
    write(out / "PASSIVE.LIB", {{"AXIAL0.3", axial(300, false)},
                                {"AXIAL0.4", axial(400, false)},
                                {"AXIAL0.5", axial(500, false)},
                                {"DIODE0.4", axial(400, true)},
                                {"RAD0.1", ceramic(100)},
                                {"RAD0.2", ceramic(200)},
                                {"RB.2/.4", electrolytic(200, 400)},
                                {"RB.3/.6", electrolytic(300, 600)},
                                {"0603", chip(60, 35, 40)},
                                {"0805", chip(75, 45, 55)},
                                {"1206", chip(120, 55, 70)},
                                {"TRIMPOT", trimmer()}});
    write(out / "DISCRETE.LIB", {{"TO92", to92(false)},
                                 {"TO92-TURNED", to92(true)},
                                 {"TO220V", to220Vertical()},
                                 {"TO220H", to220Horizontal()},
                                 {"SOT23", sot23()},
                                 {"SOT223", sot223()},
                                 {"LED5MM", led5mm()},
                                 {"HC49", crystalHc49()},
                                 {"SOT23-BOT", sot23(), true},
                                 {"TO92-BOT", to92(true), true},
                                 {"TO220H-BOT", to220Horizontal(), true}});
    write(out / "CONNECT.LIB", {{"SIP2", singleRow(2)},
                                {"SIP4", singleRow(4)},
                                {"SIP6", singleRow(6)},
                                {"IDC10", boxHeader(10)},
                                {"IDC20", boxHeader(20)},
                                {"DB9F", dSub9()},
                                {"TERMINAL2", screwTerminal(2)},
                                {"TERMINAL3", screwTerminal(3)},
                                {"IDC10-BOT", boxHeader(10), true}});
    return 0;
}
