#pragma once

#include "directory_entry.h"
#include "file_io.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// Where a save puts a library: the header, then the components in list order in slots 0, 1,
// 2, ..., their records one after another from the start of the record area in the same order,
// and the empty-slot pattern in every slot left. `Library::buildImage` writes by these rules,
// and the check predicts from them what a save of a file writes without building the library.

/// The entry a save writes for a component with `entry`'s bytes that holds `primitiveCount`
/// primitives whose records start at byte `recordPosition`: the same bytes, with the count and
/// the first record index rewritten. Every other byte is carried.
DirectoryEntry savedEntry(const DirectoryEntry& entry, std::int32_t primitiveCount,
                          std::size_t recordPosition);

/// Whether the directory has a slot for each of `componentCount` components; if not, why.
SaveResult checkSlotCount(std::size_t componentCount);

/// Whether the component named `name`, holding `primitiveCount` primitives whose records would
/// start at byte `recordPosition`, can be written: both its first record index and its count
/// must fit their 16-bit fields. If not, why.
SaveResult checkPlacement(std::string_view name, std::int32_t primitiveCount,
                          std::size_t recordPosition);

/// A primitive of a file image that a load keeps: where its first record lies, how many bytes
/// it takes, and whether the load puts it at the tail of its component's list.
struct ImageRecord {
    std::uint32_t position;
    std::uint8_t length;
    bool tail;
};

/// A component as a load of a file image makes it: its entry as the file holds it, and the
/// records of its kept primitives in file order.
struct ImageComponent {
    DirectoryEntry entry;
    std::span<const ImageRecord> records;
    std::size_t recordBytes = 0;
};

/// What saving the library loaded from a file image would do, worked out from the image and
/// the components a load makes of it, given in slot order, without building the library.
class SavePrediction final {
public:
    SavePrediction(std::span<const std::uint8_t> image, std::span<const ImageComponent> components)
        : image_(image), components_(components) {}

    /// Whether a save of the loaded library is refused, and why (`Library::checkWritable`).
    SaveResult checkWritable() const;

    /// Where that save first differs from the image, or none when it writes exactly the image.
    /// The load puts each component at the head of the list, and within a component the tail
    /// primitives last in file order and the others before them in reverse file order.
    std::optional<std::size_t> firstSaveDifference() const;

    /// The same for the save after that one, once its file is loaded again: the components come
    /// in slot order, each with its head primitives in file order and then its tail primitives
    /// in file order.
    std::optional<std::size_t> secondSaveDifference() const;

private:
    enum class Order { Reversed, AsFiled };
    std::optional<std::size_t> difference(Order order) const;

    std::span<const std::uint8_t> image_;
    std::span<const ImageComponent> components_;
};
