#include "write_refusals.h"

#include <algorithm>
#include <cstdint>

std::string errorText(std::string reason) {
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    if (reason.size() > 1 && reason[0] >= 'A' && reason[0] <= 'Z' &&
        !(reason[1] >= 'A' && reason[1] <= 'Z')) {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    return reason;
}

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
