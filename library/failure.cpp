#include "failure.h"

#include <cstring>

std::string systemErrorClause(int error) {
    std::string text = std::strerror(error);
    // The system's texts are capitalised like sentences ("No such file or directory") but carry
    // no full stop; only the first letter differs from a clause.
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}
