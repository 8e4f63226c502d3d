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
