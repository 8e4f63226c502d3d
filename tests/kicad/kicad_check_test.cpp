// Exports libraries and has KiCad's own reader load every footprint, comparing what it reports
// with what the export rules promise. Skipped where KiCad's Python module is not installed.
#include "component.h"
#include "footprint_export.h"
#include "kicad_layers.h"
#include "kicad_test_support.h"
#include "library.h"
#include "library_export.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (code < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", code);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string jsonPoint(std::int64_t x, std::int64_t y) {
    return "[" + std::to_string(x) + "," + std::to_string(y) + "]";
}

std::string textJson(std::string_view layer, std::string_view text, int angle, bool mirrored,
                     std::int64_t size, std::int64_t thickness) {
    return "{\"layer\":" + jsonString(layer) + ",\"text\":" + jsonString(text) +
           ",\"angle\":" + std::to_string(angle) +
           ",\"mirrored\":" + (mirrored ? "true" : "false") + ",\"size\":" + std::to_string(size) +
           ",\"thickness\":" + std::to_string(thickness) + "}";
}

// What KiCad should report for one component, worked out from the fields by the rules alone.
std::string expectations(const Component& component, const std::string& file,
                         const KicadExportOptions& options) {
    const std::int64_t u = options.unit.nanometres;
    std::vector<const Primitive*> records;
    for (const auto& p : component.primitives()) records.push_back(&p);
    std::stable_sort(records.begin(), records.end(),
                     [](auto* a, auto* b) { return a->readOrder() < b->readOrder(); });

    std::vector<std::string> pads;
    std::map<std::string, int> shapes;
    std::vector<std::string> texts;
    std::vector<std::string> arcs;
    std::string reference;
    bool drawsOnTheCourtyard = false;
    int number = 0;
    for (const Primitive* p : records) {
        // Nothing reaching beyond 1.5 m is written: KiCad would clamp it.
        const Bounds& box = p->bounds();
        const std::int64_t far = std::max(
            {std::abs(box.minX), std::abs(box.maxX), std::abs(box.minY), std::abs(box.maxY)});
        const bool reachable = far * u <= 1'500'000'000;
        const auto layer = reachable ? kicadLayerName(p->layer()) : std::nullopt;
        if (p->layer() == 12 && p->kind() != PrimitiveType::Pad &&
            p->kind() != PrimitiveType::Via && p->kind() != PrimitiveType::String) {
            drawsOnTheCourtyard = true;
        }
        switch (*p->kind()) {
            case PrimitiveType::Pad: {
                const PadFields f = p->pad();
                const bool copper = (p->layer() >= 1 && p->layer() <= 6) || p->layer() == 13;
                if (copper) ++number;
                const std::int64_t w = std::abs(f.xSize);
                const std::int64_t h = f.shape == 1 ? w : std::abs(f.ySize);
                if (!layer || f.shape < 1 || f.shape > 4 || w == 0 || h == 0) break;
                const bool round = f.shape == 1 || (f.shape == 4 && w == h);
                const char* shape = round          ? "circle"
                                    : f.shape == 2 ? "rect"
                                    : f.shape == 4 ? "oval"
                                                   : "custom";
                const bool through = p->layer() == 13;
                std::string pad =
                    "{\"number\":" + jsonString(copper ? std::to_string(number) : "") +
                    ",\"at\":" + jsonPoint(f.x * u, -f.y * u) + ",\"shape\":\"" + shape +
                    "\",\"type\":\"" + (through ? "thru_hole" : "smd") + "\",\"layers\":[";
                const auto padLayers = kicadPadLayers(p->layer());
                for (std::size_t i = 0; i < padLayers.size(); ++i) {
                    pad += (i ? "," : "") + jsonString(padLayers[i]);
                }
                pad += "]";
                if (through) {
                    const std::int64_t side = std::min(w, h) * u;
                    const std::int64_t drill =
                        options.drillNanometres
                            ? *options.drillNanometres
                            : std::min(side, std::max<std::int64_t>(
                                                 std::llround(static_cast<double>(side) *
                                                              options.drillRatio),
                                                 300000));
                    pad += ",\"drill\":" + std::to_string(drill);
                }
                if (f.shape == 3) {
                    const std::int64_t anchor = std::max<std::int64_t>(std::min(w, h) * u / 2, 1);
                    pad += ",\"size\":" + jsonPoint(anchor, anchor) + ",\"outline\":[";
                    const std::int64_t a = w / 2 * u, b = w / 5 * u, c = h / 2 * u, d = h / 5 * u;
                    pad += jsonPoint(a, d) + "," + jsonPoint(b, c) + "," + jsonPoint(-b, c) + "," +
                           jsonPoint(-a, d) + "," + jsonPoint(-a, -d) + "," + jsonPoint(-b, -c) +
                           "," + jsonPoint(b, -c) + "," + jsonPoint(a, -d) + "]";
                } else {
                    pad += ",\"size\":" + jsonPoint(w * u, (round ? w : h) * u);
                }
                pads.push_back(pad + "}");
                break;
            }
            case PrimitiveType::Via: {
                const ViaFields v = p->via();
                if (v.diameter == 0 || !reachable) break;
                pads.push_back("{\"number\":\"\",\"at\":" + jsonPoint(v.x * u, -v.y * u) +
                               ",\"shape\":\"circle\",\"type\":\"thru_hole\",\"layers\":[\"*.Cu\","
                               "\"*.Mask\"],\"size\":" +
                               jsonPoint(v.diameter * u, v.diameter * u) +
                               ",\"drill\":" + std::to_string(v.holeDiameter * u) + "}");
                break;
            }
            case PrimitiveType::Track:
                if (layer) ++shapes[std::string(*layer) + " line"];
                break;
            case PrimitiveType::Fill: {
                const FillFields f = p->fill();
                if (layer && f.x1 != f.x2 && f.y1 != f.y2) ++shapes[std::string(*layer) + " rect"];
                break;
            }
            case PrimitiveType::Arc: {
                const ArcFields a = p->arc();
                const int q = a.quadrantFlags & 15;
                if (!layer || q == 0 || a.radius == 0) break;
                if (q == 15) {
                    ++shapes[std::string(*layer) + " circle"];
                } else {
                    // One arc for each set quarter whose counter-clockwise predecessor is clear,
                    // passing through the middle of its run.
                    for (int i = 0; i < 4; ++i) {
                        if (!(q >> i & 1) || (q >> ((i + 3) % 4) & 1)) continue;
                        ++shapes[std::string(*layer) + " arc"];
                        int run = 1;
                        while (run < 4 && (q >> ((i + run) % 4) & 1)) ++run;
                        const double middle = (i + run / 2.0) * 3.14159265358979323846 / 2;
                        const double r = static_cast<double>(a.radius * u);
                        arcs.push_back("{\"center\":" + jsonPoint(a.x * u, -a.y * u) + ",\"mid\":" +
                                       jsonPoint(a.x * u + std::llround(r * std::cos(middle)),
                                                 -(a.y * u + std::llround(r * std::sin(middle)))) +
                                       "}");
                    }
                }
                break;
            }
            case PrimitiveType::String: {
                const StringFields s = p->string();
                std::string chars;
                for (auto b : s.text) {
                    if ((b & 0x7F) >= 32 && (b & 0x7F) != 127) chars += static_cast<char>(b & 0x7F);
                }
                const int unit = s.height / 6;
                if (!layer || chars.empty() || unit == 0) break;
                static const std::map<int, std::pair<int, bool>> kTurns = {
                    {0, {0, false}}, {1, {90, false}},  {2, {180, false}}, {3, {270, false}},
                    {16, {0, true}}, {17, {270, true}}, {18, {180, true}}, {19, {90, true}}};
                const auto turn = kTurns.count(s.orientation) ? kTurns.at(s.orientation)
                                                              : std::pair<int, bool>{0, false};
                const int angle = (turn.first + (unit < 0 ? 180 : 0)) % 360;
                // The first placeholder on the top overlay that turns as the table says is the
                // reference field.
                const bool designator = reference.empty() && p->layer() == 7 &&
                                        kTurns.count(s.orientation) != 0 &&
                                        isDesignatorPlaceholder(chars);
                (designator ? reference : texts.emplace_back()) =
                    textJson(*layer, designator ? "REF**" : chars, angle, turn.second,
                             6 * std::abs(unit) * u, s.lineWidth * u);
                break;
            }
        }
    }
    // A rectangle goes round whatever was drawn, unless layer 12 holds the courtyard.
    if (!drawsOnTheCourtyard && options.courtyard && (!pads.empty() || !shapes.empty())) {
        ++shapes["F.CrtYd rect"];
    }
    if (reference.empty()) reference = textJson("F.SilkS", "REF**", 0, false, 1000000, 150000);
    texts.insert(texts.begin(), textJson("F.Fab", "${REFERENCE}", 0, false, 1000000, 150000));
    std::string json = "{\"file\":" + jsonString(file) + ",\"reference\":" + reference +
                       ",\"value\":" + jsonString(footprintName(component)) + ",\"pads\":[";
    for (std::size_t i = 0; i < pads.size(); ++i) json += (i ? "," : "") + pads[i];
    json += "],\"arcs\":[";
    for (std::size_t i = 0; i < arcs.size(); ++i) json += (i ? "," : "") + arcs[i];
    json += "],\"shapes\":{";
    bool first = true;
    for (const auto& [key, count] : shapes) {
        json += (first ? "" : ",") + jsonString(key) + ":" + std::to_string(count);
        first = false;
    }
    json += "},\"texts\":[";
    for (std::size_t i = 0; i < texts.size(); ++i) json += (i ? "," : "") + texts[i];
    return json + "]}";
}

class KicadCheck : public testing::Test {
protected:
    void SetUp() override {
        if (!pcbnewAvailable()) GTEST_SKIP() << "KiCad's pcbnew Python module cannot be imported";
    }

    // Exports `library` and records what KiCad should find in its folder.
    void exportAndExpect(const Library& library, const std::string& name,
                         const KicadExportOptions& options = {}) {
        const LibraryExportResult result =
            exportLibraryToKicad(library, name, out_.path().string(), options);
        ASSERT_TRUE(result) << result.reason;
        ASSERT_EQ(result.footprints.size(), library.size());
        std::string folder = "{\"path\":" + jsonString(result.folder) + ",\"footprints\":[";
        for (std::size_t i = 0; i < library.size(); ++i) {
            const std::string& fileName = result.footprints[i].fileName;
            const std::string stem = fileName.substr(0, fileName.size() - 10);  // ".kicad_mod"
            folder += (i ? "," : "") + expectations(*library.components()[i], stem, options);
        }
        folders_.push_back(folder + "]}");
        footprints_ += library.size();
    }

    // Runs the checker over everything exported and fails with its report on any difference.
    void check() {
        const auto json = out_ / "expectations.json";
        std::ofstream(json) << "{\"folders\":[" << joined() << "]}";
        const CheckerRun run = runFootprintChecker(json);
        EXPECT_EQ(run.status, 0) << run.output;
        // KiCad's reader warns of what it had to repair, naming the file and line; an exported
        // file must need no repair.
        EXPECT_EQ(run.output.find(".kicad_mod\nline: "), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(std::to_string(footprints_) + " footprints checked, 0 "),
                  std::string::npos)
            << run.output;
    }

    TemporaryDirectory out_;

private:
    std::string joined() const {
        std::string all;
        for (std::size_t i = 0; i < folders_.size(); ++i) all += (i ? "," : "") + folders_[i];
        return all;
    }
    std::vector<std::string> folders_;
    std::size_t footprints_ = 0;
};

TEST_F(KicadCheck, EveryFootprintOfTheSamplesAndSharedLibraries) {
    std::size_t libraries = 0;
    for (const std::filesystem::path& file : libraryFilesAtHand()) {
        Library library;
        PlainNameList names;
        ASSERT_TRUE(library.load(file.string(), names)) << file;
        exportAndExpect(library, file.stem().string());
        ++libraries;
    }
    ASSERT_GE(libraries, 4u);
    check();
}

TEST_F(KicadCheck, OtherUnitAndDrillOptions) {
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.load((samplesDir() / "CONNECT.LIB").string(), names));
    KicadExportOptions tenMicrons;
    tenMicrons.unit = KicadUnit{10'000};
    tenMicrons.drillRatio = 0.5;
    exportAndExpect(library, "TEN_MICRONS", tenMicrons);
    KicadExportOptions fixedDrill;
    fixedDrill.drillNanometres = 800'000;
    exportAndExpect(library, "FIXED_DRILL", fixedDrill);
    check();
}

TEST_F(KicadCheck, AwkwardComponentsLoadWithoutRepair) {
    const auto library = awkwardLibrary();
    exportAndExpect(*library, "AWKWARD");
    check();
}

}  // namespace
