#include "copy_rule.h"

#include "library.h"
#include "library_format.h"

bool hasRoomForCopy(std::size_t destinationCount) { return destinationCount < kSlotCount; }

CopyVerdict checkCopy(std::size_t destinationCount, const Library& destination,
                      const Component& component) {
    if (!hasRoomForCopy(destinationCount)) return CopyVerdict::full;
    if (destination.findByName(component.displayName())) return CopyVerdict::duplicate;
    return CopyVerdict::allowed;
}

bool recordsReachable(const Library& library, const Component& component) {
    const std::size_t total = library.totalRecordBytes() + component.recordBytes();
    const Component& last = library.components().empty() ? component : *library.components().back();
    const std::size_t lastStart = (kRecordAreaOffset + total - last.recordBytes()) / kRecordSize;
    return lastStart <= static_cast<std::size_t>(kMaxRecordIndex);
}
