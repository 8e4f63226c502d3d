#pragma once

#include <filesystem>

/// Gives `file` a user extended attribute too large to fit beside the others that new files get
/// while `RefusedAttributes` is alive, so that a save of `file` cannot copy it. False when the
/// file system keeps no user attributes.
bool giveLargeAttribute(const std::filesystem::path& file);

/// While alive, every temporary a save creates has its room for extended attributes filled
/// before the save copies the old file's, so that the system refuses a large one. Whether it
/// could be filled is `filled()`, known after a save.
class RefusedAttributes final {
public:
    RefusedAttributes();
    ~RefusedAttributes();
    RefusedAttributes(const RefusedAttributes&) = delete;
    RefusedAttributes& operator=(const RefusedAttributes&) = delete;

    /// Whether every temporary created so far ran out of room.
    static bool filled();
};
