#pragma once

#include <cstddef>

class Component;
class Library;

/// What the copy rule says about copying one component into a destination library.
enum class CopyVerdict {
    allowed,
    /// The destination already holds as many components as a library file has room for.
    full,
    /// The destination already holds a component of exactly that name.
    duplicate,
};

/// Whether a destination holding `destinationCount` components has room for one more. The limit
/// is the number of components one library file can hold.
bool hasRoomForCopy(std::size_t destinationCount);

/// Decides whether `component` may be copied into `destination`, which the caller counts as
/// holding `destinationCount` components. The limit is tested before the name, so a full
/// destination is reported even when the name is taken too; names compare exactly, so names that
/// differ only in letter case are different components.
CopyVerdict checkCopy(std::size_t destinationCount, const Library& destination,
                      const Component& component);

/// Whether `library` could still be written with `component` added at its head: every
/// component's records must start at an index its 16-bit directory field can hold. A save writes
/// the head first, so the records that start last are those of the component at the tail.
bool recordsReachable(const Library& library, const Component& component);
