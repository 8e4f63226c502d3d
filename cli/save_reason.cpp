#include "save_reason.h"

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
