#include "library.h"

#include "byte_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

bool Library::load(const std::string& path, NameList& names) {
    // Whatever the library held goes, also when the file cannot be read, so that the library and
    // the name list always describe the same components.
    components_.clear();
    names.clear();
    const auto image = readFilePrefix(path, kMaxUsefulFileSize);
    return image && loadImage(*image, names);
}

bool Library::loadImage(std::span<const std::uint8_t> image, NameList& names,
                        const std::function<void(const Component&)>& onRead) {
    components_.clear();
    names.clear();
    if (!hasLibrarySignature(image)) return false;
    const ByteReader file(image);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        // A slot cut short by the end of the file is taken as empty.
        DirectoryEntry entry;
        if (file.copy(kHeaderSize + kSlotSize * slot, entry.bytes) < kSlotSize) break;
        if (entry.isEmpty()) continue;
        auto component = std::make_unique<Component>(entry);
        Component& added = *component;
        insertAtHead(std::move(component), names);
        added.readPrimitives(file);
        if (onRead) onRead(added);
    }
    return true;
}

void Library::insertAtHead(std::unique_ptr<Component> component, NameList& names) {
    const std::string name = component->displayName();
    components_.insert(components_.begin(), std::move(component));
    names.append(name);
}

Component* Library::findByName(std::string_view text) const {
    for (const auto& component : components_) {
        if (component->entry().nameEquals(text)) return component.get();
    }
    return nullptr;
}

Component& Library::addCopy(const Component& source, NameList& names) {
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
    if (components_.size() > kSlotCount) {
        return SaveResult::failure("The library holds " + std::to_string(components_.size()) +
                                   " components; a library file has room for 200.");
    }
    std::size_t position = kRecordAreaOffset;
    for (const auto& component : components_) {
        if (static_cast<std::int64_t>(position / kRecordSize) > kMaxRecordIndex) {
            return SaveResult::failure(
                "The library is too large for a library file: the records of \"" +
                component->displayName() + "\" would start beyond record 32,767.");
        }
        if (component->primitiveCount() > kMaxPrimitiveCount) {
            return SaveResult::failure("The component \"" + component->displayName() +
                                       "\" has more than 32,767 primitives.");
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
    for (const auto& component : components_) {
        DirectoryEntry entry = component->entry();
        entry.setPrimitiveCount(component->primitiveCount());
        entry.setFirstRecordIndex(static_cast<std::int32_t>(position / kRecordSize));
        std::copy(entry.bytes.begin(), entry.bytes.end(),
                  image.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + kSlotSize * slot));
        position = component->writeRecords(image, position);
        ++slot;
    }
    const DirectoryEntry empty = DirectoryEntry::emptySlot();
    for (; slot < kSlotCount; ++slot) {
        std::copy(empty.bytes.begin(), empty.bytes.end(),
                  image.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + kSlotSize * slot));
    }
    return SaveResult::success();
}

SaveResult Library::save(const std::string& path) const {
    std::vector<std::uint8_t> image;
    if (auto built = buildImage(image); !built) return built;
    return writeFileAtomically(path, image);
}
