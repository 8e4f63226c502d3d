// Imports footprints that KiCad ships (Debian's kicad-footprints) and checks them against what
// KiCad itself loads through pcbnew; without pcbnew against the reader's own model. Skipped when
// the footprints are not installed.

#include "component_names.h"
#include "footprint_export.h"
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
#include <set>
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
    bool hole = false;  // non-plated
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

// A footprint as pcbnew loads it: its pads, its reference field and its other texts and
// drawings, by KiCad's layer names.
struct PcbnewFootprint {
    std::vector<ExpectedPad> pads;
    std::string referenceLayer;
    std::string reference;
    std::vector<std::pair<std::string, std::string>> texts;  // layer, text
    std::vector<std::string> drawingLayers;
};

// The footprints pcbnew loads from the .kicad_mod files `names` of `source`, by name; empty
// when pcbnew cannot be imported.
std::map<std::string, PcbnewFootprint> footprintsFromPcbnew(const fs::path& source,
                                                            const std::vector<std::string>& names,
                                                            bool& available) {
    std::map<std::string, PcbnewFootprint> footprints;
    // A folder holding only the chosen footprints, so that pcbnew reads no others.
    TemporaryDirectory tmp;
    const fs::path folder = tmp / source.filename().string();
    fs::create_directory(folder);
    for (const std::string& name : names) {
        fs::copy_file(source / (name + ".kicad_mod"), folder / (name + ".kicad_mod"));
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
        return footprints;
    }
    std::ifstream in(output);
    std::string line;
    PcbnewFootprint* current = nullptr;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "footprint") {
            std::string name;
            words >> name;
            current = &footprints[name];
        } else if (current == nullptr) {
            continue;
        } else if (kind == "pad") {
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
            pad.hole = attribute == 3;
            current->pads.push_back(pad);
        } else if (kind == "reference") {
            words >> current->referenceLayer >> current->reference;
        } else if (kind == "text") {
            auto& text = current->texts.emplace_back();
            words >> text.first >> text.second;
        } else if (kind == "drawing") {
            words >> current->drawingLayers.emplace_back();
        }
    }
    return footprints;
}

std::map<std::string, std::vector<ExpectedPad>> padsFromPcbnew(
    const std::string& library, const std::vector<std::string>& names, bool& available) {
    std::map<std::string, std::vector<ExpectedPad>> pads;
    for (auto& [name, footprint] :
         footprintsFromPcbnew(kFootprints / (library + ".pretty"), names, available)) {
        pads[name] = std::move(footprint.pads);
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

// Footprints of shipped libraries imported, saved, loaded again and exported, as pcbnew loads
// them before and after; read once for every test of the suite.
class ShippedRoundTrip : public testing::Test {
protected:
    struct Trip {
        std::string name;
        PcbnewFootprint before;
        PcbnewFootprint after;
        std::string renumbering;  // what the import said would change
    };

    static void SetUpTestSuite() {
        trips_ = new std::vector<Trip>;
        // Mounting holes listed first (TO), surface tabs among pins (JST), letters (BGA).
        const std::vector<std::pair<std::string, std::size_t>> libraries = {
            {"Package_TO_SOT_THT", 3}, {"Connector_JST", 6}, {"Package_BGA", 6},
            {"Package_SO", 10},        {"Package_DIP", 5},   {"Connector_PinHeader_2.54mm", 12},
            {"Package_TO_SOT_SMD", 4}, {"Resistor_THT", 4}};
        for (const auto& [library, step] : libraries) {
            if (!fs::is_directory(kFootprints / (library + ".pretty"))) return;
            const std::vector<std::string> names = sample(library, step);
            TemporaryDirectory out;
            const fs::path folder = out / (library + ".pretty");
            fs::create_directory(folder);
            std::vector<std::string> renumberings;
            for (const std::string& name : names) {
                const auto read = readFootprintFile(
                    (kFootprints / (library + ".pretty") / (name + ".kicad_mod")).string());
                ASSERT_TRUE(read) << name << ": " << read.error;
                const FootprintImport imported = importFootprint(*read.footprint, "X");
                ASSERT_TRUE(imported) << name << ": " << imported.error;
                renumberings.push_back(imported.renumbering);
                // Saved and loaded again: the record order a library file gives is what the
                // export numbers.
                Library saved;
                PlainNameList listed;
                saved.addCopy(*imported.component, listed);
                std::vector<std::uint8_t> image;
                ASSERT_TRUE(saved.buildImage(image));
                Library loaded;
                ASSERT_TRUE(loaded.loadImage(image, listed));
                std::ofstream(folder / (name + ".kicad_mod"))
                    << exportFootprint(*loaded.components().front(), {}).text;
            }
            bool before = false;
            bool after = false;
            auto originals =
                footprintsFromPcbnew(kFootprints / (library + ".pretty"), names, before);
            auto exported = footprintsFromPcbnew(folder, names, after);
            if (!before || !after) return;
            for (std::size_t i = 0; i < names.size(); ++i) {
                trips_->push_back({library + ":" + names[i], originals[names[i]],
                                   exported[names[i]], renumberings[i]});
            }
        }
    }
    static void TearDownTestSuite() {
        delete trips_;
        trips_ = nullptr;
    }
    void SetUp() override {
        if (trips_ == nullptr || trips_->empty()) {
            GTEST_SKIP() << "kicad-footprints or pcbnew is not installed";
        }
    }

    static std::vector<Trip>* trips_;
};

std::vector<ShippedRoundTrip::Trip>* ShippedRoundTrip::trips_ = nullptr;

// Plated pads numbered 1 to N come back with their numbers, each where it was (holes and
// unnumbered pads take the numbers after N), unless a surface pad comes between through-hole
// ones, which no library file can keep in order; the import then says what changes.
TEST_F(ShippedRoundTrip, PadsNumberedOneToNKeepTheirNumbers) {
    int numbered = 0;
    int kept = 0;
    for (const Trip& trip : *trips_) {
        SCOPED_TRACE(trip.name);
        std::vector<const ExpectedPad*> pins;
        for (const ExpectedPad& pad : trip.before.pads) {
            if (pad.copper && !pad.hole && pad.number != "-") pins.push_back(&pad);
        }
        std::set<std::string> numbers;
        for (const ExpectedPad* pad : pins) numbers.insert(pad->number);
        bool oneToN = !pins.empty() && numbers.size() == pins.size();
        for (std::size_t n = 1; oneToN && n <= pins.size(); ++n) {
            oneToN = numbers.count(std::to_string(n)) != 0;
        }
        if (!oneToN) continue;
        ++numbered;
        bool mixed = false;
        for (const ExpectedPad* pad : pins) {
            for (const ExpectedPad* other : pins) {
                mixed = mixed || (!pad->throughHole && other->throughHole &&
                                  std::stoi(other->number) < std::stoi(pad->number));
            }
        }
        if (mixed) {
            EXPECT_FALSE(trip.renumbering.empty());
            continue;
        }
        for (const ExpectedPad* pin : pins) {
            const auto back =
                std::find_if(trip.after.pads.begin(), trip.after.pads.end(),
                             [&](const ExpectedPad& p) { return p.number == pin->number; });
            ASSERT_NE(back, trip.after.pads.end()) << "pad " << pin->number;
            // Millimetres to mils and back: within half a mil.
            EXPECT_NEAR(back->x, pin->x, 0.0128) << "pad " << pin->number;
            EXPECT_NEAR(back->y, pin->y, 0.0128) << "pad " << pin->number;
        }
        ++kept;
    }
    EXPECT_GT(numbered, 50);
    std::printf("%d of %d footprints numbered 1 to N keep every number\n", kept, numbered);
}

// A board made from an exported footprint prints one reference, and KiCad finds a courtyard.
TEST_F(ShippedRoundTrip, OneReferenceNoPlaceholderTextAndACourtyard) {
    for (const Trip& trip : *trips_) {
        SCOPED_TRACE(trip.name);
        EXPECT_EQ(trip.after.referenceLayer, "F.Silkscreen");
        EXPECT_EQ(trip.after.reference, "REF**");
        int fabReferences = 0;
        for (const auto& [layer, text] : trip.after.texts) {
            EXPECT_FALSE(isDesignatorPlaceholder(text)) << layer << " " << text;
            fabReferences += layer == "F.Fab" && text == "${REFERENCE}" ? 1 : 0;
        }
        EXPECT_EQ(fabReferences, 1);
        EXPECT_NE(std::count(trip.after.drawingLayers.begin(), trip.after.drawingLayers.end(),
                             "F.Courtyard"),
                  0);
    }
}

// The short names of every shipped footprint, each folder imported on its own and all of them
// in one import: at most one name in twenty needs a ~N to be told apart.
TEST(KicadFootprints, FewShippedNamesNeedASuffix) {
    if (!fs::is_directory(kFootprints)) GTEST_SKIP() << "kicad-footprints is not installed";
    std::vector<NameRequest> all;
    std::size_t suffixed = 0;
    for (const auto& folder : fs::directory_iterator(kFootprints)) {
        if (folder.path().extension() != ".pretty") continue;
        std::vector<NameRequest> requests;
        for (const auto& file : fs::directory_iterator(folder.path())) {
            if (file.path().extension() != ".kicad_mod") continue;
            requests.push_back({folder.path().stem().string(), file.path().stem().string()});
        }
        std::sort(requests.begin(), requests.end(), [](const NameRequest& a, const NameRequest& b) {
            return a.footprint < b.footprint;
        });
        const NamingResult naming = shortenNames(requests, {});
        ASSERT_TRUE(naming) << naming.error;
        DistinctNames seen;
        for (std::size_t i = 0; i < requests.size(); ++i) {
            const std::string& name = naming.names[i];
            EXPECT_LE(name.size(), kTextCapacity);
            EXPECT_FALSE(seen.isGiven(name)) << name << " twice, ignoring case";
            seen.claim(name);
            const bool hadTilde = requests[i].footprint.find('~') != std::string::npos;
            suffixed += !hadTilde && name.find('~') != std::string::npos ? 1 : 0;
        }
        all.insert(all.end(), requests.begin(), requests.end());
    }
    ASSERT_GT(all.size(), 1000u);
    const NamingResult together = shortenNames(all, {});
    ASSERT_TRUE(together);
    const auto suffixedTogether =
        std::count_if(together.names.begin(), together.names.end(),
                      [](const std::string& n) { return n.find('~') != std::string::npos; });
    std::printf("%zu of %zu shipped names need ~N folder by folder, %td in one import\n", suffixed,
                all.size(), suffixedTogether);
    EXPECT_LE(suffixed * 20, all.size());
}

}  // namespace
