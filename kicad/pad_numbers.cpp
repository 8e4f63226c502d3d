#include "pad_numbers.h"

#include <cstddef>
#include <optional>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The run of digits at `at`, without its leading zeros; `at` moves past it.
std::string_view digitsAt(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && isDigit(text[at])) ++at;
    std::string_view run = text.substr(start, at - start);
    while (run.size() > 1 && run.front() == '0') run.remove_prefix(1);
    return run;
}

// A number split into the letters before its last run of digits and the value of that run,
// when it ends in a run short enough to count with: "A12" is ("A", 12).
struct Counted {
    std::string_view stem;
    long value = 0;
};

std::optional<Counted> counted(std::string_view number) {
    std::size_t start = number.size();
    while (start > 0 && isDigit(number[start - 1])) --start;
    const std::size_t digits = number.size() - start;
    if (digits == 0 || digits > 9) return std::nullopt;
    long value = 0;
    for (std::size_t i = start; i < number.size(); ++i) value = value * 10 + (number[i] - '0');
    return Counted{number.substr(0, start), value};
}

// Whether `next` is `previous` counted up by one.
bool follows(std::string_view previous, std::string_view next) {
    const auto a = counted(previous);
    const auto b = counted(next);
    return a && b && a->stem == b->stem && b->value == a->value + 1 &&
           std::to_string(b->value) == next.substr(b->stem.size());
}

std::string shown(std::string_view number) {
    return number.empty() ? std::string("\"\"") : std::string(number);
}

// The numbers of pads `from` to `to` (inclusive) of one side, as one run or one by one.
void appendRun(std::string& out, const std::vector<std::string>& numbers, std::size_t from,
               std::size_t to) {
    if (to - from >= 2) {
        out += ' ' + shown(numbers[from]) + '-' + shown(numbers[to]);
        return;
    }
    for (std::size_t i = from; i <= to; ++i) out += ' ' + shown(numbers[i]);
}

}  // namespace

int comparePadNumbers(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::string_view x = digitsAt(a, i);
            const std::string_view y = digitsAt(b, j);
            if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y); c != 0) return c;
            continue;
        }
        const char x = lower(a[i]);
        const char y = lower(b[j]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        ++i;
        ++j;
    }
    const bool aLeft = i < a.size();
    const bool bLeft = j < b.size();
    return aLeft == bLeft ? 0 : (aLeft ? 1 : -1);
}

std::string describeRenumbering(const std::vector<std::string>& before,
                                const std::vector<std::string>& after) {
    if (before == after) return {};
    std::string from = "pads";
    std::string to = " become";
    for (std::size_t start = 0; start < before.size();) {
        std::size_t end = start;
        while (end + 1 < before.size() && follows(before[end], before[end + 1]) &&
               follows(after[end], after[end + 1])) {
            ++end;
        }
        appendRun(from, before, start, end);
        appendRun(to, after, start, end);
        start = end + 1;
    }
    return from + to;
}
