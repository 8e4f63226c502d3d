#include "diff_command.h"

#include "json_output.h"
#include "library_diff.h"
#include "library_format.h"
#include "library_input.h"
#include "library_text.h"
#include "name_text.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

/// One side as read: a library file or a library text, and its view for the comparison.
struct Side {
    std::unique_ptr<LoadedLibrary> library;
    LibraryTextRead text;
    DiffSide view;
    std::size_t count = 0;
};

bool looksLikeText(const std::vector<std::uint8_t>& bytes) {
    const auto first = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) {
        return b != ' ' && b != '\t' && b != '\n' && b != '\r';
    });
    return first != bytes.end() && (*first == '(' || *first == '#');
}

std::optional<Side> readSide(const std::string& path, const Console& console) {
    const std::size_t limit = libraryTextLimits().maxInputBytes;
    const FileRead file = readFileUpTo(path, limit + 1);
    if (!file.ok) {
        console.error(path, file.failure.reason);
        return std::nullopt;
    }
    Side side;
    if (hasLibrarySignature(file.bytes)) {
        LibraryRead read = readLibraryOrReport(path, console);
        if (!read.loaded) return std::nullopt;
        side.library = std::move(read.loaded);
        side.view = sideInFileOrder(side.library->library);
        side.count = side.library->library.size();
        return side;
    }
    if (!looksLikeText(file.bytes)) {
        console.error(path, "neither a library file nor a library text");
        return std::nullopt;
    }
    if (file.bytes.size() > limit) {
        console.error(path, "is larger than " + std::to_string(limit) +
                                " bytes, the most a library text may have");
        return std::nullopt;
    }
    side.text = readLibraryText(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
    if (!side.text) {
        console.error(path, side.text.error);
        return std::nullopt;
    }
    std::vector<const Component*> components;
    for (const TextComponent& c : side.text.components) components.push_back(c.component.get());
    side.view = sideInListOrder(components);
    side.count = components.size();
    return side;
}

std::string shownName(const Component* component) { return nameForText(component->displayName()); }

std::string shownValue(const std::string& value) { return value.empty() ? "none" : value; }

std::string fieldList(const std::vector<FieldChange>& fields) {
    std::string text;
    for (const FieldChange& f : fields) {
        if (!text.empty()) text += ", ";
        text += f.field + ' ' + shownValue(f.before) + " -> " + shownValue(f.after);
    }
    return text;
}

void printText(const LibraryDiff& diff, std::size_t countA, std::ostream& out) {
    std::size_t added = 0;
    std::size_t removed = 0;
    std::size_t renamed = 0;
    std::size_t changed = 0;
    for (const ComponentChange& c : diff.components) {
        const std::string name = shownName(c.before ? c.before : c.after);
        switch (c.kind) {
            case ComponentChange::Kind::Added:
                ++added;
                out << name << ": added (" << c.after->primitiveCount() << " primitives)\n";
                continue;
            case ComponentChange::Kind::Removed:
                ++removed;
                out << name << ": removed (" << c.before->primitiveCount() << " primitives)\n";
                continue;
            case ComponentChange::Kind::Renamed:
                ++renamed;
                out << name << ": renamed to " << shownName(c.after) << '\n';
                break;
            case ComponentChange::Kind::Changed:
                ++changed;
                break;
        }
        if (!c.entry.empty()) out << name << ": entry: " << fieldList(c.entry) << '\n';
        for (const PrimitiveChange& p : c.primitives) {
            out << name << ": " << p.where << ": ";
            switch (p.kind) {
                case PrimitiveChange::Kind::Added:
                    out << "added " << p.element;
                    break;
                case PrimitiveChange::Kind::Removed:
                    out << "removed " << p.element;
                    break;
                case PrimitiveChange::Kind::Changed:
                    out << fieldList(p.fields);
                    break;
            }
            out << '\n';
        }
        if (c.orderDiffers) out << name << ": the primitives come in another order\n";
    }
    if (diff.componentOrderDiffers) out << "the components come in another order\n";
    if (diff.equal()) {
        out << "no differences (" << components(countA) << ")\n";
        return;
    }
    std::vector<std::string> parts;
    if (changed) parts.push_back(std::to_string(changed) + " changed");
    if (renamed) parts.push_back(std::to_string(renamed) + " renamed");
    if (added) parts.push_back(std::to_string(added) + " added");
    if (removed) parts.push_back(std::to_string(removed) + " removed");
    if (parts.empty()) {
        out << "the same components in another order\n";
        return;
    }
    out << components(diff.components.size())
        << (diff.components.size() == 1 ? " differs:" : " differ:");
    for (std::size_t i = 0; i < parts.size(); ++i) out << (i ? ", " : " ") << parts[i];
    out << '\n';
}

Json fieldsJson(const std::vector<FieldChange>& fields) {
    Json list = Json::array();
    for (const FieldChange& f : fields) {
        list.push_back({{"field", f.field},
                        {"before", f.before.empty() ? Json(nullptr) : Json(f.before)},
                        {"after", f.after.empty() ? Json(nullptr) : Json(f.after)}});
    }
    return list;
}

std::string_view changeWord(ComponentChange::Kind kind) {
    switch (kind) {
        case ComponentChange::Kind::Added:
            return "added";
        case ComponentChange::Kind::Removed:
            return "removed";
        case ComponentChange::Kind::Renamed:
            return "renamed";
        case ComponentChange::Kind::Changed:
            return "changed";
    }
    return {};
}

std::string_view changeWord(PrimitiveChange::Kind kind) {
    switch (kind) {
        case PrimitiveChange::Kind::Added:
            return "added";
        case PrimitiveChange::Kind::Removed:
            return "removed";
        case PrimitiveChange::Kind::Changed:
            return "changed";
    }
    return {};
}

Json diffJson(const DiffOptions& options, const LibraryDiff& diff) {
    Json changes = Json::array();
    for (const ComponentChange& c : diff.components) {
        Json change = {{"change", changeWord(c.kind)},
                       {"name", latin1ToUtf8((c.before ? c.before : c.after)->displayName())}};
        if (c.kind == ComponentChange::Kind::Renamed) {
            change["newName"] = latin1ToUtf8(c.after->displayName());
        }
        if (c.kind == ComponentChange::Kind::Renamed || c.kind == ComponentChange::Kind::Changed) {
            change["entry"] = fieldsJson(c.entry);
            Json primitives = Json::array();
            for (const PrimitiveChange& p : c.primitives) {
                Json item = {{"change", changeWord(p.kind)}, {"where", p.where}};
                if (p.kind == PrimitiveChange::Kind::Changed) {
                    item["fields"] = fieldsJson(p.fields);
                } else {
                    item["element"] = p.element;
                }
                primitives.push_back(std::move(item));
            }
            change["primitives"] = std::move(primitives);
            change["orderDiffers"] = c.orderDiffers;
        }
        changes.push_back(std::move(change));
    }
    return {{"a", options.a},
            {"b", options.b},
            {"equal", diff.equal()},
            {"components", std::move(changes)},
            {"componentOrderDiffers", diff.componentOrderDiffers}};
}

}  // namespace

ExitStatus runDiff(const DiffOptions& options, const Console& console) {
    const std::optional<Side> a = readSide(options.a, console);
    const std::optional<Side> b = readSide(options.b, console);
    if (!a || !b) return ExitStatus::Trouble;
    const LibraryDiff diff = diffLibraries(a->view, b->view, options.order);
    if (options.json) {
        printJson(console.out, diffJson(options, diff));
    } else {
        printText(diff, a->count, console.out);
    }
    return diff.equal() ? ExitStatus::Success : ExitStatus::Failure;
}
