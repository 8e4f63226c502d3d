#include "show_command.h"

#include "json_output.h"
#include "library_input.h"
#include "name_text.h"
#include "primitive.h"

#include <array>
#include <cstdio>
#include <memory>

namespace {

/// The primitive kinds in the order the output lists them.
constexpr std::array kKinds = {
    std::pair{PrimitiveType::Arc, "arc"},       std::pair{PrimitiveType::Fill, "fill"},
    std::pair{PrimitiveType::Pad, "pad"},       std::pair{PrimitiveType::Track, "track"},
    std::pair{PrimitiveType::String, "string"}, std::pair{PrimitiveType::Via, "via"},
};

std::array<int, kKinds.size()> countKinds(const Component& component) {
    std::array<int, kKinds.size()> counts{};
    for (const Primitive& primitive : component.primitives()) {
        for (std::size_t k = 0; k < kKinds.size(); ++k) {
            if (primitive.kind() == kKinds[k].first) ++counts[k];
        }
    }
    return counts;
}

/// A component without primitives keeps the inverted starting box, which means no box at all.
bool hasBounds(const Component& component) { return !component.primitives().empty(); }

std::size_t slotOf(const LoadedLibrary& loaded, const Component* component) {
    const auto& components = loaded.library.components();
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (components[i].get() == component) return loaded.directorySlots[i];
    }
    return 0;
}

/// The number of characters `text` shows as, for a UTF-8 text.
std::size_t shownWidth(const std::string& text) {
    std::size_t width = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}

void printTable(const LoadedLibrary& loaded, const std::vector<const Component*>& shown,
                std::ostream& out) {
    constexpr const char* kRow = "%5zu %5d %4d %4d %4d %5d %6d %4d %7s %7s %7s %7s %6zu";
    char line[160];
    out << "NAME           SLOT PRIMS  ARC FILL  PAD TRACK STRING  VIA    MINX    MINY    MAXX"
           "    MAXY  BYTES\n";
    for (const Component* component : shown) {
        const std::string name = nameForText(component->displayName());
        const auto counts = countKinds(*component);
        const Bounds& b = component->bounds();
        const bool boxed = hasBounds(*component);
        auto coordinate = [boxed](std::int32_t value) {
            return boxed ? std::to_string(value) : std::string("-");
        };
        std::snprintf(line, sizeof line, kRow, slotOf(loaded, component),
                      component->primitiveCount(), counts[0], counts[1], counts[2], counts[3],
                      counts[4], counts[5], coordinate(b.minX).c_str(), coordinate(b.minY).c_str(),
                      coordinate(b.maxX).c_str(), coordinate(b.maxY).c_str(),
                      component->recordBytes());
        out << name << std::string(name.size() < 13 ? 13 - shownWidth(name) : 0, ' ')
            << (shownWidth(name) >= 13 ? " " : "") << line << '\n';
    }
}

Json componentJson(const LoadedLibrary& loaded, const Component& component) {
    const auto counts = countKinds(component);
    Json primitives = {{"total", component.primitiveCount()}};
    for (std::size_t k = 0; k < kKinds.size(); ++k) primitives[kKinds[k].second] = counts[k];
    Json bounds = nullptr;
    if (hasBounds(component)) {
        const Bounds& b = component.bounds();
        bounds = {{"minX", b.minX}, {"minY", b.minY}, {"maxX", b.maxX}, {"maxY", b.maxY}};
    }
    return {{"name", latin1ToUtf8(component.displayName())},
            {"slot", slotOf(loaded, &component)},
            {"primitives", primitives},
            {"bounds", bounds},
            {"recordBytes", component.recordBytes()}};
}

}  // namespace

ExitStatus runShow(const ShowOptions& options, const Console& console) {
    LibraryRead read = readLibraryOrReport(options.library, console);
    if (!read.loaded) return read.failure.status;
    const LoadedLibrary& loaded = *read.loaded;
    warnIfDamaged(loaded, console);

    // The components found are shown even when some NAME finds none; the errors follow them.
    const ComponentChoice chosen = chooseComponents(loaded, options.names);
    const std::vector<const Component*>& shown = chosen.components;

    // Nothing to show when every NAME found nothing: the errors say it all.
    if (!options.names.empty() && shown.empty()) {
        for (const std::string& problem : chosen.problems) console.error(options.library, problem);
        return ExitStatus::Failure;
    }
    if (options.json) {
        Json components = Json::array();
        for (const Component* component : shown) {
            components.push_back(componentJson(loaded, *component));
        }
        printJson(console.out, {{"file", options.library}, {"components", components}});
    } else {
        printTable(loaded, shown, console.out);
    }
    console.out.flush();
    for (const std::string& problem : chosen.problems) console.error(options.library, problem);
    return chosen.problems.empty() ? ExitStatus::Success : ExitStatus::Failure;
}
