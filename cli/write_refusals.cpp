#include "write_refusals.h"

#include <algorithm>
#include <cstdint>

ExitStatus refusalStatus(const WritableLibrary& refused) {
    return refused.unreadable ? ExitStatus::Trouble : ExitStatus::Failure;
}

std::string copyRefusal(CopyVerdict verdict) {
    switch (verdict) {
        case CopyVerdict::full:
            return "the library already holds 200 components, as many as a library file can";
        case CopyVerdict::duplicate:
            return "the library already holds a component of that name";
        case CopyVerdict::recordsOutOfReach:
            return "the library would be too large for a library file: records would start "
                   "beyond record 32,767";
        case CopyVerdict::allowed:
            break;
    }
    return {};
}

std::chrono::milliseconds waitFor(double seconds) {
    if (!(seconds > 0)) return std::chrono::milliseconds(0);
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::min(seconds, 1e9) * 1000));
}
