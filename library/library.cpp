#include "library.h"

#include "byte_reader.h"
#include "image_walk.h"
#include "save_layout.h"

#include <algorithm>
#include <array>
#include <cstring>

bool Library::load(const std::string& path, NameList& names) { return loadInto(path, &names); }

bool Library::load(const std::string& path) { return loadInto(path, nullptr); }

bool Library::loadImage(std::span<const std::uint8_t> image, NameList& names) {
    return loadImageInto(image, &names);
}

bool Library::loadImage(std::span<const std::uint8_t> image) {
    return loadImageInto(image, nullptr);
}

bool Library::loadInto(const std::string& path, NameList* names) {
    // Whatever the library held goes, also when the file cannot be read, so that the library and
    // the name list always describe the same components.
    components_.clear();
    if (names) names->clear();
    // The file's bytes are only needed while its components are built, so every load on a
    // thread reads into the same buffer: no allocation, and no clearing of half a megabyte.
    thread_local std::vector<std::uint8_t> buffer;
    const auto image = readFilePrefixInto(path, kMaxUsefulFileSize, buffer);
    return image && loadImageInto(*image, names);
}

bool Library::loadImageInto(std::span<const std::uint8_t> image, NameList* names) {
    components_.clear();
    if (names) names->clear();
    if (!hasLibrarySignature(image)) return false;
    const ByteReader file(image);
    // Each component goes to the head of the list: they are gathered in slot order and the list
    // is turned round once at the end.
    components_.reserve(kSlotCount);
    walkDirectory(file, [&](std::size_t, const DirectoryEntry& entry) {
        if (entry.isEmpty()) return;
        auto component = std::make_unique<Component>(entry);
        component->readPrimitives(file);
        if (names) names->append(component->displayName());
        components_.push_back(std::move(component));
    });
    std::reverse(components_.begin(), components_.end());
    return true;
}

void Library::insertAtHead(std::unique_ptr<Component> component, NameList* names) {
    if (names) names->append(component->displayName());
    components_.insert(components_.begin(), std::move(component));
}

Component* Library::findByName(std::string_view text) const {
    for (const auto& component : components_) {
        if (component->entry().nameEquals(text)) return component.get();
    }
    return nullptr;
}

Component& Library::addCopy(const Component& source, NameList& names) {
    return addCopyTo(source, &names);
}

Component& Library::addCopy(const Component& source) { return addCopyTo(source, nullptr); }

Component& Library::addCopyTo(const Component& source, NameList* names) {
    auto copy = source.clone();
    Component& added = *copy;
    insertAtHead(std::move(copy), names);
    return added;
}

bool Library::remove(const Component* component) {
    const auto found = std::find_if(components_.begin(), components_.end(),
                                    [component](const auto& c) { return c.get() == component; });
    if (found == components_.end()) return false;
    components_.erase(found);
    return true;
}

std::size_t Library::totalRecordBytes() const {
    std::size_t sum = 0;
    for (const auto& component : components_) {
        sum += component->recordBytes();
    }
    return sum;
}

SaveResult Library::checkWritable() const {
    if (auto fits = checkSlotCount(components_.size()); !fits) return fits;
    std::size_t position = kRecordAreaOffset;
    for (const auto& component : components_) {
        if (auto placed =
                checkPlacement(component->displayName(), component->primitiveCount(), position);
            !placed) {
            return placed;
        }
        position += component->recordBytes();
    }
    return SaveResult::success();
}

SaveResult Library::buildImage(std::vector<std::uint8_t>& image) const {
    if (auto writable = checkWritable(); !writable) {
        image.clear();
        return writable;
    }
    image.assign(kRecordAreaOffset + totalRecordBytes(), 0);
    const auto header = libraryHeader();
    std::copy(header.begin(), header.end(), image.begin());

    std::size_t position = kRecordAreaOffset;
    std::size_t slot = 0;
    auto put = [&](const DirectoryEntry& entry) {
        std::copy(entry.bytes.begin(), entry.bytes.end(),
                  image.begin() + static_cast<std::ptrdiff_t>(slotOffset(slot++)));
    };
    for (const auto& component : components_) {
        put(savedEntry(component->entry(), component->primitiveCount(), position));
        position = component->writeRecords(image, position);
    }
    const DirectoryEntry empty = DirectoryEntry::emptySlot();
    while (slot < kSlotCount) put(empty);
    return SaveResult::success();
}

SaveResult Library::save(const std::string& path) const {
    std::vector<std::uint8_t> image;
    if (auto built = buildImage(image); !built) return built;
    return writeFileAtomically(path, image);
}
