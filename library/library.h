#pragma once

#include "component.h"
#include "file_io.h"
#include "name_list.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// The in-memory form of one library file: an ordered list of components, owned, whose
/// addresses never move. New components go to the head; a save writes the list head first.
class Library final {
public:
    Library() = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    /// Replaces what this library holds by the components of the file at `path`, appending each
    /// component's name to `names`; the library and `names` are emptied first, so pointers to
    /// earlier components become invalid. A file that cannot be read or does not carry the
    /// signature leaves both empty; damaged parts are dropped by the format's rules. Says whether
    /// the file was a library (callers that need not know may ignore it).
    bool load(const std::string& path, NameList& names);
    /// `load` for a caller that keeps no list of names of its own.
    bool load(const std::string& path);

    /// `load` on a file image already in memory.
    bool loadImage(std::span<const std::uint8_t> image, NameList& names);
    bool loadImage(std::span<const std::uint8_t> image);

    /// The first component from the head whose name is exactly `text`, byte for byte; none for
    /// an empty text or one longer than 13 bytes.
    Component* findByName(std::string_view text) const;

    /// Puts a copy of `source` (usually another library's) at the head and appends its name.
    Component& addCopy(const Component& source, NameList& names);
    /// `addCopy` for a caller that keeps no list of names of its own.
    Component& addCopy(const Component& source);

    /// Destroys `component` when it belongs to this library and says whether it did.
    bool remove(const Component* component);

    std::size_t totalRecordBytes() const;

    /// The components, head first.
    const std::vector<std::unique_ptr<Component>>& components() const { return components_; }
    std::size_t size() const { return components_.size(); }

    /// Whether this library can be written as a valid file, and if not why: too many
    /// components, records beyond the reach of a 16-bit index, or too many primitives for one
    /// entry. Builds nothing, so that a check can ask without writing an image.
    SaveResult checkWritable() const;

    /// Builds the complete file image, or explains why this library cannot be written as a
    /// valid file (see `checkWritable`).
    SaveResult buildImage(std::vector<std::uint8_t>& image) const;

    /// Writes the whole library to `path`, replacing the file only once all of it is written;
    /// on failure the previous file is intact and the result says why.
    SaveResult save(const std::string& path) const;

private:
    // `names` is null where the caller keeps no list.
    bool loadInto(const std::string& path, NameList* names);
    bool loadImageInto(std::span<const std::uint8_t> image, NameList* names);
    Component& addCopyTo(const Component& source, NameList* names);
    void insertAtHead(std::unique_ptr<Component> component, NameList* names);

    std::vector<std::unique_ptr<Component>> components_;
};
