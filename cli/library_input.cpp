#include "library_input.h"

#include "file_io.h"
#include "library_format.h"
#include "name_rules.h"
#include "name_text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string lowerFirst(std::string text) {
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] + 32);
    return text;
}

/// Why `path` cannot be read, or an empty text when it is a regular file that can be opened.
std::string unreadableReason(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return "no such file";
        return lowerFirst(std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode)) return "is a folder, not a library file";
    if (!S_ISREG(info.st_mode)) return "not a regular file";
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return "cannot be read: " + lowerFirst(std::strerror(errno));
    ::close(fd);
    return {};
}

}  // namespace

FileRead readWholeFile(const std::string& path) { return readFileUpTo(path, kMaxUsefulFileSize); }

FileRead readFileUpTo(const std::string& path, std::size_t limit) {
    FileRead result;
    // The common case costs one open and one read; why a file cannot be read is found out only
    // when it cannot.
    if (auto bytes = readFilePrefix(path, limit)) {
        result.ok = true;
        result.bytes = std::move(*bytes);
        return result;
    }
    std::string reason = unreadableReason(path);
    result.failure = {reason.empty() ? "cannot be read" : std::move(reason), ExitStatus::Trouble};
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
        result.failure = {"is larger than " + std::to_string(limit) +
                              " bytes, the most a library "
                              "text may have",
                          ExitStatus::Failure};
        return result;
    }
    result.text = readLibraryText(
        std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
    if (!result.text) {
        result.failure = {result.text.error, ExitStatus::Failure};
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
        result.failure = {"not a library file: shorter than the 16-byte header",
                          ExitStatus::Failure};
        return result;
    }
    if (!hasLibrarySignature(file.bytes)) {
        result.failure = {"not a library file: bytes 3 to 15 do not read \"PCB 4 LIBRARY\"",
                          ExitStatus::Failure};
        return result;
    }
    auto loaded = std::make_unique<LoadedLibrary>();
    loaded->path = path;
    loaded->image = std::move(file.bytes);
    PlainNameList names;
    loaded->library.loadImage(loaded->image, names);
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

std::optional<std::vector<const Component*>> chooseComponents(const LoadedLibrary& loaded,
                                                              const std::vector<std::string>& names,
                                                              std::string& unknown) {
    if (names.empty()) return componentsInListOrder(loaded);
    std::vector<const Component*> chosen;
    for (const std::string& argument : names) {
        const auto name = resolveName(loaded.library, argument);
        if (!name) {
            unknown = argument;
            return std::nullopt;
        }
        for (const Component* component : componentsNamed(loaded, *name)) {
            if (std::find(chosen.begin(), chosen.end(), component) == chosen.end()) {
                chosen.push_back(component);
            }
        }
    }
    return chosen;
}

std::optional<std::string> resolveName(const Library& library, const std::string& argument) {
    if (library.findByName(argument)) return argument;
    if (auto typed = nameFromText(argument); typed && library.findByName(*typed)) return typed;
    return std::nullopt;
}
