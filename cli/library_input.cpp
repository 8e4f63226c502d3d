#include "library_input.h"

#include "file_io.h"
#include "library_file_scan.h"
#include "library_format.h"
#include "name_rules.h"
#include "name_text.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <unistd.h>

namespace {

ReadFailure readFailure(std::string reason, ExitStatus status) {
    ReadFailure failure;
    failure.reason = std::move(reason);
    failure.status = status;
    return failure;
}

/// Standard input read to its end at the first call, so that every read of `-` gets the same
/// bytes; none when it cannot be read. Reading stops past the most any reader looks at, so that
/// an endless input cannot exhaust memory.
const std::optional<std::vector<std::uint8_t>>& standardInputBytes() {
    static const std::optional<std::vector<std::uint8_t>> bytes =
        []() -> std::optional<std::vector<std::uint8_t>> {
        const std::size_t keep =
            std::max(kMaxUsefulFileSize, libraryTextLimits().maxInputBytes) + 1;
        std::vector<std::uint8_t> read;
        std::uint8_t buffer[65536];
        for (;;) {
            const std::optional<std::size_t> n = readFully(STDIN_FILENO, buffer, sizeof buffer);
            if (!n) return std::nullopt;
            const std::size_t room = keep - std::min(read.size(), keep);
            read.insert(read.end(), buffer, buffer + std::min(*n, room));
            if (*n < sizeof buffer || read.size() >= keep) return read;
        }
    }();
    return bytes;
}

}  // namespace

FileRead readWholeFile(const std::string& path) { return readFileUpTo(path, kMaxUsefulFileSize); }

FileRead readFileUpTo(const std::string& path, std::size_t limit) {
    FileRead result;
    if (path == kStandardInput) {
        const std::optional<std::vector<std::uint8_t>>& input = standardInputBytes();
        if (!input) {
            result.failure = readFailure("standard input cannot be read", ExitStatus::Trouble);
            return result;
        }
        result.ok = true;
        result.bytes.assign(input->begin(), input->begin() + static_cast<std::ptrdiff_t>(
                                                                 std::min(limit, input->size())));
        return result;
    }
    // The common case costs one open and one read; why a file cannot be read is found out only
    // when it cannot.
    if (auto bytes = readFilePrefix(path, limit)) {
        result.ok = true;
        result.bytes = std::move(*bytes);
        return result;
    }
    LibraryFileProblem problem = findLibraryFileProblem(path);
    result.failure = readFailure(problem.unreadable ? std::move(problem.reason) : "cannot be read",
                                 ExitStatus::Trouble);
    return result;
}

LibraryTextFile readLibraryTextFile(const std::string& path) {
    LibraryTextFile result;
    const std::size_t limit = libraryTextLimits().maxInputBytes;
    FileRead file = readFileUpTo(path, limit + 1);
    if (!file.ok) {
        result.failure = std::move(file.failure);
        return result;
    }
    if (file.bytes.size() > limit) {
        result.failure = readFailure(
            "is larger than " + std::to_string(limit) + " bytes, the most a library text may have",
            ExitStatus::Failure);
        return result;
    }
    result.text = readLibraryText(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
    if (!result.text) {
        result.failure = readFailure(result.text.error, ExitStatus::Failure);
        return result;
    }
    result.ok = true;
    return result;
}

LibraryRead readLibraryFile(const std::string& path) {
    LibraryRead result;
    FileRead file = readWholeFile(path);
    if (!file.ok) {
        result.failure = std::move(file.failure);
        return result;
    }
    if (file.bytes.size() < kHeaderSize) {
        result.failure =
            readFailure("not a library file: shorter than the 16-byte header", ExitStatus::Failure);
        return result;
    }
    if (!hasLibrarySignature(file.bytes)) {
        result.failure = readFailure(
            "not a library file: bytes 3 to 15 do not read \"PCB 4 LIBRARY\"", ExitStatus::Failure);
        return result;
    }
    auto loaded = std::make_unique<LoadedLibrary>();
    loaded->path = path;
    loaded->image = std::move(file.bytes);
    loaded->library.loadImage(loaded->image);
    // The loader takes every slot whose entry lies whole in the file and is not marked empty,
    // and puts each at the head, so the list runs from the last such slot to the first.
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const std::size_t offset = kHeaderSize + kSlotSize * slot;
        if (offset + kSlotSize > loaded->image.size()) break;
        DirectoryEntry entry;
        std::copy_n(loaded->image.begin() + static_cast<std::ptrdiff_t>(offset), kSlotSize,
                    entry.bytes.begin());
        if (!entry.isEmpty()) loaded->directorySlots.insert(loaded->directorySlots.begin(), slot);
    }
    result.loaded = std::move(loaded);
    return result;
}

LibraryRead readLibraryOrReport(const std::string& path, const Console& console) {
    LibraryRead read = readLibraryFile(path);
    if (!read.loaded) console.error(path, read.failure.reason);
    return read;
}

void warnIfDamaged(const LoadedLibrary& loaded, const Console& console) {
    const LibraryTextNotes repairs = loaderRepairs(loaded.library, loaded.image);
    if (repairs.file.empty() && repairs.components.empty()) return;
    console.error(loaded.path, "damaged; run \"cobble check " + loaded.path + "\"");
}

std::vector<const Component*> componentsInListOrder(const LoadedLibrary& loaded) {
    // Directory order first (the reverse of the list), so that names equal but for case keep it.
    std::vector<const Component*> ordered;
    const auto& components = loaded.library.components();
    ordered.reserve(components.size());
    for (auto it = components.rbegin(); it != components.rend(); ++it) ordered.push_back(it->get());
    std::stable_sort(ordered.begin(), ordered.end(), [](const Component* a, const Component* b) {
        return nameSortsBefore(a->displayName(), b->displayName());
    });
    return ordered;
}

std::vector<const Component*> componentsNamed(const LoadedLibrary& loaded,
                                              const std::string& name) {
    std::vector<const Component*> found;
    for (const Component* component : componentsInListOrder(loaded)) {
        if (component->entry().nameEquals(name)) found.push_back(component);
    }
    return found;
}

namespace {

/// The names finding by name can reach in `library`, in list order, one entry per component.
std::vector<std::string> findableNamesInListOrder(const Library& library) {
    std::vector<std::string> names;
    const auto& components = library.components();
    names.reserve(components.size());
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        if ((*it)->entry().isFindableByName()) names.push_back((*it)->displayName());
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return nameSortsBefore(a, b);
    });
    return names;
}

std::string quotedName(std::string_view name) { return "\"" + nameForText(name) + "\""; }

}  // namespace

NamedArgument resolveNames(const Library& library, const std::string& argument) {
    const std::vector<std::string> held = findableNamesInListOrder(library);
    const std::vector<std::string_view> names(held.begin(), held.end());
    NameLookup lookup = lookUpName(names, argument);
    if (lookup.kind == NameLookup::Kind::None) {
        if (auto typed = nameFromText(argument); typed && *typed != argument) {
            NameLookup asText = lookUpName(names, *typed);
            if (asText.kind != NameLookup::Kind::None) lookup = std::move(asText);
        }
    }
    NamedArgument result;
    for (const std::size_t place : lookup.found) {
        const std::string name(names[place]);
        if (std::find(result.names.begin(), result.names.end(), name) == result.names.end()) {
            result.names.push_back(name);
        }
    }
    if (result.names.empty()) {
        result.problem =
            (isNamePattern(argument) ? "no component name matches \"" : "no component named \"") +
            argument + "\"";
        for (std::size_t i = 0; i < lookup.close.size(); ++i) {
            result.problem += i == 0                         ? "; did you mean "
                              : i + 1 == lookup.close.size() ? " or "
                                                             : ", ";
            result.problem += quotedName(names[lookup.close[i]]);
        }
        if (!lookup.close.empty()) result.problem += "?";
    }
    return result;
}

ComponentChoice chooseComponents(const LoadedLibrary& loaded,
                                 const std::vector<std::string>& names) {
    ComponentChoice choice;
    if (names.empty()) {
        choice.components = componentsInListOrder(loaded);
        return choice;
    }
    for (const std::string& argument : names) {
        NamedArgument named = resolveNames(loaded.library, argument);
        if (!named.problem.empty()) {
            choice.problems.push_back(std::move(named.problem));
            continue;
        }
        for (const std::string& name : named.names) {
            for (const Component* component : componentsNamed(loaded, name)) {
                if (std::find(choice.components.begin(), choice.components.end(), component) ==
                    choice.components.end()) {
                    choice.components.push_back(component);
                }
            }
        }
    }
    return choice;
}
