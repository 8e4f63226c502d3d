#include "directory_entry.h"

#include "byte_order.h"
#include "record_layout.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kNameLengthOffset = entry_offset::kNameLength;
constexpr std::size_t kNameOffset = entry_offset::kName;
constexpr std::size_t kNameCapacity = kTextCapacity;
constexpr std::size_t kPrimitiveCountOffset = entry_offset::kPrimitiveCount;
constexpr std::size_t kFirstRecordIndexOffset = entry_offset::kFirstRecordIndex;
}  // namespace

DirectoryEntry DirectoryEntry::emptySlot() {
    DirectoryEntry entry;
    entry.setPrimitiveCount(-1);
    entry.setFirstRecordIndex(-1);
    return entry;
}

std::int32_t DirectoryEntry::nameLength() const { return unsigned8At(bytes, kNameLengthOffset); }

std::int32_t DirectoryEntry::primitiveCount() const {
    return signed16At(bytes, kPrimitiveCountOffset);
}

std::int32_t DirectoryEntry::firstRecordIndex() const {
    return signed16At(bytes, kFirstRecordIndexOffset);
}

void DirectoryEntry::setPrimitiveCount(std::int32_t count) {
    putSigned16(bytes, kPrimitiveCountOffset, count);
}

void DirectoryEntry::setFirstRecordIndex(std::int32_t index) {
    putSigned16(bytes, kFirstRecordIndexOffset, index);
}

std::string DirectoryEntry::displayName() const {
    const auto length =
        std::min<std::size_t>(static_cast<std::size_t>(nameLength()), kNameCapacity);
    const auto* first = bytes.data() + kNameOffset;
    const auto* last = std::find(first, first + length, std::uint8_t{0});
    return std::string(first, last);
}

bool DirectoryEntry::nameEquals(std::string_view text) const {
    const std::size_t n = text.size();
    if (n == 0 || n > kNameCapacity || static_cast<std::size_t>(nameLength()) != n) {
        return false;
    }
    return std::memcmp(bytes.data() + kNameOffset, text.data(), n) == 0;
}
