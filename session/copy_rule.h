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
    /// With the component added, some component's records would start beyond the index a
    /// directory entry's 16-bit field can hold, so no file could hold the library.
    recordsOutOfReach,
};

/// Whether a destination holding `destinationCount` components has room for one more. The limit
/// is the number of components one library file can hold.
bool hasRoomForCopy(std::size_t destinationCount);

/// Decides whether `component` may be copied into `destination`, at its head. The limit is
/// tested before the name, so a full destination is reported even when the name is taken too;
/// names compare exactly, so names that differ only in letter case are different components.
/// Last comes the reach of the record index: a save writes the head first, so the records that
/// start last are those of the component at the tail, behind everything else.
CopyVerdict checkCopy(const Library& destination, const Component& component);
