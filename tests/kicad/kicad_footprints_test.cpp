// Imports footprints that KiCad ships (Debian's kicad-footprints) and checks them against what
// KiCad itself loads through pcbnew; without pcbnew against the reader's own model. Skipped when
// the footprints are not installed.

#include "component_names.h"
#include "footprint_import.h"
#include "footprint_reader.h"
#include "library.h"
#include "library_file_builder.h"
#include "name_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kFootprints = "/usr/share/kicad/footprints";

struct ExpectedPad {
    std::string number;
    double x = 0, y = 0, xSize = 0, ySize = 0, angle = 0;  // millimetres, KiCad's axes
    bool throughHole = false;
    bool copper = false;
};

// Every `step`-th footprint of a library, so a few libraries stay quick to check.
std::vector<std::string> sample(const std::string& library, std::size_t step) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kFootprints / (library + ".pretty"))) {
        if (entry.path().extension() == ".kicad_mod") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> picked;
    for (std::size_t i = 0; i < names.size(); i += step) {
        picked.push_back(names[i]);
    }
    return picked;
}

// The pads pcbnew loads, by footprint; empty when pcbnew cannot be imported.
std::map<std::string, std::vector<ExpectedPad>> padsFromPcbnew(
    const std::string& library, const std::vector<std::string>& names, bool& available) {
    std::map<std::string, std::vector<ExpectedPad>> pads;
    // pcbnew reads a whole folder for each footprint it loads, so it gets a folder holding only
    // the chosen ones.
    TemporaryDirectory tmp;
    const fs::path folder = tmp / (library + ".pretty");
    fs::create_directory(folder);
    for (const std::string& name : names) {
        fs::copy_file(kFootprints / (library + ".pretty") / (name + ".kicad_mod"),
                      folder / (name + ".kicad_mod"));
    }
    const fs::path output = tmp / "pads.txt";
    std::string command = "/usr/bin/python3 '" PCBNEW_PADS_SCRIPT "' '" + folder.string() + "'";
    for (const std::string& name : names) {
        command += " '" + name + "'";
    }
    command += " > '" + output.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    available = status == 0;
    if (!available) {
        return pads;
    }
    std::ifstream in(output);
    std::string line;
    std::vector<ExpectedPad>* current = nullptr;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "footprint") {
            std::string name;
            words >> name;
            current = &pads[name];
        } else if (kind == "pad" && current != nullptr) {
            ExpectedPad pad;
            double x, y, sx, sy;
            int attribute, front, back;
            words >> pad.number >> x >> y >> sx >> sy >> pad.angle >> attribute >> front >> back;
            pad.x = x / 1e6;
            pad.y = y / 1e6;
            pad.xSize = sx / 1e6;
            pad.ySize = sy / 1e6;
            // pcbnew's attributes: 0 plated through-hole, 1 surface, 2 edge connector, 3 NPTH.
            pad.throughHole = attribute == 0 || attribute == 3;
            pad.copper = pad.throughHole || front != 0 || back != 0;
            current->push_back(pad);
        }
    }
    return pads;
}

std::vector<ExpectedPad> padsFromModel(const KicadFootprint& fp) {
    std::vector<ExpectedPad> pads;
    for (const KicadPad& p : fp.pads) {
        ExpectedPad pad;
        pad.number = p.number.empty() ? "-" : p.number;
        pad.x = p.at.x;
        pad.y = p.at.y;
        pad.xSize = p.size.x;
        pad.ySize = p.shape == KicadPadShape::Circle ? p.size.x : p.size.y;
        pad.angle = p.rotation;
        pad.throughHole =
            p.type == KicadPadType::ThroughHole || p.type == KicadPadType::NonPlatedHole;
        pad.copper = pad.throughHole ||
                     std::any_of(p.layers.begin(), p.layers.end(), [](const std::string& l) {
                         return l == "F.Cu" || l == "B.Cu" || l == "*.Cu";
                     });
        pads.push_back(pad);
    }
    return pads;
}

int mils(double mm) { return static_cast<int>(std::lround(mm / 0.0254)); }

void checkLibrary(const std::string& library, std::size_t step) {
    if (!fs::is_directory(kFootprints / (library + ".pretty"))) {
        GTEST_SKIP() << "kicad-footprints is not installed";
    }
    const std::vector<std::string> names = sample(library, step);
    bool fromKicad = false;
    const auto kicadPads = padsFromPcbnew(library, names, fromKicad);
    int checked = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(library + ":" + name);
        const fs::path file = kFootprints / (library + ".pretty") / (name + ".kicad_mod");
        const FootprintReadResult read = readFootprintFile(file.string());
        ASSERT_TRUE(read) << read.error;
        const FootprintImport imported = importFootprint(*read.footprint, "X");
        ASSERT_TRUE(imported) << imported.error;

        std::vector<ExpectedPad> expected =
            fromKicad ? kicadPads.at(name) : padsFromModel(*read.footprint);
        expected.erase(std::remove_if(expected.begin(), expected.end(),
                                      [](const ExpectedPad& p) { return !p.copper; }),
                       expected.end());
        std::stable_partition(expected.begin(), expected.end(),
                              [](const ExpectedPad& p) { return !p.throughHole; });

        std::vector<PadFields> pads;
        std::vector<int> layers;
        for (const Primitive& p : imported.component->primitives()) {
            if (p.kind() == PrimitiveType::Pad) {
                pads.push_back(p.pad());
                layers.push_back(p.layer());
            }
        }
        ASSERT_EQ(pads.size(), expected.size());
        for (std::size_t i = 0; i < pads.size(); ++i) {
            const ExpectedPad& e = expected[i];
            SCOPED_TRACE("pad " + e.number);
            EXPECT_EQ(pads[i].x, mils(e.x));
            EXPECT_EQ(pads[i].y, -mils(e.y));
            EXPECT_EQ(layers[i] == 13, e.throughHole);
            const double quarter = std::fmod(std::fabs(e.angle), 90.0);
            const bool custom =
                pads[i].shape == 2 &&
                std::any_of(read.footprint->pads.begin(), read.footprint->pads.end(),
                            [](const KicadPad& p) { return p.shape == KicadPadShape::Custom; });
            if (quarter < 1e-6 && !custom) {
                const bool across = std::lround(std::fabs(e.angle) / 90.0) % 2 == 1;
                EXPECT_EQ(pads[i].xSize, mils(across ? e.ySize : e.xSize));
                EXPECT_EQ(pads[i].ySize, mils(across ? e.xSize : e.ySize));
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
    if (!fromKicad) {
        std::printf("pcbnew is not available: pads checked against the reader's model\n");
    }
}

TEST(KicadFootprints, SmallOutlinePackagesSitWhereKicadPutsThem) { checkLibrary("Package_SO", 12); }
TEST(KicadFootprints, QfnPackagesSitWhereKicadPutsThem) { checkLibrary("Package_DFN_QFN", 20); }
TEST(KicadFootprints, ResistorsSitWhereKicadPutsThem) { checkLibrary("Resistor_SMD", 3); }
TEST(KicadFootprints, PinHeadersSitWhereKicadPutsThem) {
    checkLibrary("Connector_PinHeader_2.54mm", 10);
}
TEST(KicadFootprints, TransistorsSitWhereKicadPutsThem) { checkLibrary("Package_TO_SOT_SMD", 6); }

}  // namespace
