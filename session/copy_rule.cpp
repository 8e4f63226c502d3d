#include "copy_rule.h"

#include "library.h"
#include "library_format.h"

namespace {

bool recordsReachable(const Library& library, const Component& component) {
    const std::size_t total = library.totalRecordBytes() + component.recordBytes();
    const Component& last = library.components().empty() ? component : *library.components().back();
    const std::size_t lastStart = (kRecordAreaOffset + total - last.recordBytes()) / kRecordSize;
    return lastStart <= static_cast<std::size_t>(kMaxRecordIndex);
}

}  // namespace

bool hasRoomForCopy(std::size_t destinationCount) { return destinationCount < kSlotCount; }

CopyVerdict checkCopy(const Library& destination, const Component& component) {
    if (!hasRoomForCopy(destination.size())) return CopyVerdict::full;
    if (destination.findByName(component.displayName())) return CopyVerdict::duplicate;
    if (!recordsReachable(destination, component)) return CopyVerdict::recordsOutOfReach;
    return CopyVerdict::allowed;
}
