#include "sexpr.h"

#include <charconv>
#include <cmath>
#include <new>
#include <utility>

std::string_view SexprNode::head() const {
    if (kind != Kind::List || items.empty() || items.front().kind != Kind::Symbol) {
        return {};
    }
    return items.front().text;
}

const SexprNode* SexprNode::child(std::string_view name) const {
    for (const SexprNode& item : items) {
        if (item.head() == name) {
            return &item;
        }
    }
    return nullptr;
}

std::vector<const SexprNode*> SexprNode::children(std::string_view name) const {
    std::vector<const SexprNode*> found;
    for (const SexprNode& item : items) {
        if (item.head() == name) {
            found.push_back(&item);
        }
    }
    return found;
}

std::string SexprResult::message() const {
    if (root) {
        return {};
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + error;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool isDelimiter(char c) { return isBlank(c) || c == '(' || c == ')' || c == '"'; }

// A plain decimal: optional sign, digits with at most one point, optional exponent. Symbols such
// as "F.Cu", "1x02" or "-" stay symbols.
bool looksNumeric(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
        ++i;
    }
    bool digits = false;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        ++i;
        digits = true;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            ++i;
            digits = true;
        }
    }
    if (!digits) {
        return false;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
            ++i;
        }
        bool exponentDigits = false;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            ++i;
            exponentDigits = true;
        }
        if (!exponentDigits) {
            return false;
        }
    }
    return i == t.size();
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string hexByte(unsigned char byte) {
    constexpr const char* kDigits = "0123456789abcdef";
    return {kDigits[byte >> 4], kDigits[byte & 0xF]};
}

class Parser {
public:
    Parser(std::string_view input, const SexprLimits& limits, const SexprSyntax& syntax)
        : in_(input), limits_(limits), syntax_(syntax) {}

    SexprResult run();

private:
    void fail(std::string why, int line, int column) {
        if (result_.error.empty()) {
            result_.error = std::move(why);
            result_.line = line;
            result_.column = column;
        }
    }
    bool failed() const { return !result_.error.empty(); }

    char peek() const { return in_[pos_]; }
    void advance() {
        if (in_[pos_] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        ++pos_;
    }
    void skipBlanks() {
        while (pos_ < in_.size()) {
            if (isBlank(peek())) {
                advance();
            } else if (syntax_.hashComments && peek() == '#') {
                while (pos_ < in_.size() && peek() != '\n') {
                    advance();
                }
            } else {
                break;
            }
        }
    }

    bool countNode(int line, int column) {
        if (++nodes_ > limits_.maxNodes) {
            fail("more than " + std::to_string(limits_.maxNodes) + " elements", line, column);
            return false;
        }
        return true;
    }
    bool append(SexprNode node);
    bool readString(SexprNode& node);
    bool readAtom(SexprNode& node);

    std::string_view in_;
    const SexprLimits& limits_;
    const SexprSyntax& syntax_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int column_ = 1;
    std::size_t nodes_ = 0;
    // The lists still open, outermost first. A finished list moves into its parent.
    std::vector<SexprNode> open_;
    SexprResult result_;
};

bool Parser::append(SexprNode node) {
    SexprNode& parent = open_.back();
    if (parent.items.size() >= limits_.maxListItems) {
        fail("a list with more than " + std::to_string(limits_.maxListItems) + " elements",
             node.line, node.column);
        return false;
    }
    parent.items.push_back(std::move(node));
    return true;
}

bool Parser::readString(SexprNode& node) {
    node.kind = SexprNode::Kind::String;
    advance();  // the opening quote
    while (true) {
        if (pos_ >= in_.size()) {
            fail("the text that starts here has no closing quote", node.line, node.column);
            return false;
        }
        if (node.text.size() >= limits_.maxTokenBytes) {
            fail("a text longer than " + std::to_string(limits_.maxTokenBytes) + " bytes",
                 node.line, node.column);
            return false;
        }
        const char c = peek();
        if (c == '"') {
            advance();
            return true;
        }
        if (c != '\\') {
            const auto byte = static_cast<unsigned char>(c);
            if (syntax_.asciiTexts && (byte < 0x20 || byte >= 0x7F)) {
                fail("a character other than printable ASCII in a text; write code " +
                         std::to_string(byte) + " as \\x" + hexByte(byte),
                     line_, column_);
                return false;
            }
            node.text.push_back(c);
            advance();
            continue;
        }
        const int escapeLine = line_;
        const int escapeColumn = column_;
        advance();
        if (pos_ >= in_.size()) {
            fail("the text that starts here has no closing quote", node.line, node.column);
            return false;
        }
        const char e = peek();
        advance();
        switch (e) {
            case '"':
            case '\\':
                node.text.push_back(e);
                break;
            case 'n':
                node.text.push_back('\n');
                break;
            case 'r':
                node.text.push_back('\r');
                break;
            case 't':
                node.text.push_back('\t');
                break;
            case 'a':
                node.text.push_back('\a');
                break;
            case 'b':
                node.text.push_back('\b');
                break;
            case 'f':
                node.text.push_back('\f');
                break;
            case 'v':
                node.text.push_back('\v');
                break;
            case 'x': {
                int value = 0;
                int count = 0;
                while (count < 2 && pos_ < in_.size() && hexValue(peek()) >= 0) {
                    value = value * 16 + hexValue(peek());
                    advance();
                    ++count;
                }
                if (count == 0) {
                    fail("\\x without hexadecimal digits", escapeLine, escapeColumn);
                    return false;
                }
                node.text.push_back(static_cast<char>(value));
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    int value = e - '0';
                    int count = 1;
                    while (count < 3 && pos_ < in_.size() && peek() >= '0' && peek() <= '7') {
                        value = value * 8 + (peek() - '0');
                        advance();
                        ++count;
                    }
                    if (value > 255) {
                        fail("an octal escape above 255", escapeLine, escapeColumn);
                        return false;
                    }
                    node.text.push_back(static_cast<char>(value));
                    break;
                }
                fail(std::string("an unknown escape \\") + e, escapeLine, escapeColumn);
                return false;
        }
    }
}

bool Parser::readAtom(SexprNode& node) {
    const std::size_t start = pos_;
    while (pos_ < in_.size() && !isDelimiter(peek())) {
        const auto byte = static_cast<unsigned char>(peek());
        if (byte < 0x20 || byte == 0x7F) {
            fail("a control character in a word", line_, column_);
            return false;
        }
        if (pos_ - start >= limits_.maxTokenBytes) {
            fail("a word longer than " + std::to_string(limits_.maxTokenBytes) + " bytes",
                 node.line, node.column);
            return false;
        }
        advance();
    }
    node.text.assign(in_.substr(start, pos_ - start));
    if (!looksNumeric(node.text)) {
        node.kind = SexprNode::Kind::Symbol;
        return true;
    }
    node.kind = SexprNode::Kind::Number;
    const char* first = node.text.data();
    const char* last = first + node.text.size();
    if (*first == '+') {
        ++first;
    }
    const auto [end, error] = std::from_chars(first, last, node.number);
    if (error == std::errc::result_out_of_range || !std::isfinite(node.number)) {
        // Kept as a number too large for any use, so that a reader that wants a value here can
        // say so; KiCad's hexadecimal time stamps such as 61E30443 read this way and are never
        // used as values.
        node.number = node.text.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    } else if (error != std::errc() || end != last) {
        node.kind = SexprNode::Kind::Symbol;
    }
    return true;
}

SexprResult Parser::run() {
    if (in_.size() > limits_.maxInputBytes) {
        fail("the input is larger than " + std::to_string(limits_.maxInputBytes) + " bytes", 1, 1);
        return std::move(result_);
    }
    skipBlanks();
    if (pos_ >= in_.size()) {
        fail("the input is empty", line_, column_);
        return std::move(result_);
    }
    if (peek() != '(') {
        fail("the input does not start with '('", line_, column_);
        return std::move(result_);
    }
    while (!failed()) {
        skipBlanks();
        if (pos_ >= in_.size()) {
            if (open_.empty()) {
                break;
            }
            const SexprNode& innermost = open_.back();
            fail("the input ends before the list opened at line " + std::to_string(innermost.line) +
                     ", column " + std::to_string(innermost.column) + " is closed",
                 line_, column_);
            break;
        }
        const char c = peek();
        if (open_.empty() && result_.root) {
            fail("more after the end of the expression", line_, column_);
            break;
        }
        if (c == '(') {
            if (static_cast<int>(open_.size()) >= limits_.maxDepth) {
                fail("lists nested deeper than " + std::to_string(limits_.maxDepth), line_,
                     column_);
                break;
            }
            if (!countNode(line_, column_)) {
                break;
            }
            SexprNode list;
            list.line = line_;
            list.column = column_;
            open_.push_back(std::move(list));
            advance();
        } else if (c == ')') {
            if (open_.empty()) {
                fail("a ')' without a matching '('", line_, column_);
                break;
            }
            advance();
            SexprNode done = std::move(open_.back());
            open_.pop_back();
            if (open_.empty()) {
                result_.root = std::move(done);
            } else if (!append(std::move(done))) {
                break;
            }
        } else {
            if (open_.empty()) {
                fail("more after the end of the expression", line_, column_);
                break;
            }
            if (!countNode(line_, column_)) {
                break;
            }
            SexprNode atom;
            atom.line = line_;
            atom.column = column_;
            const bool ok = c == '"' ? readString(atom) : readAtom(atom);
            if (!ok || !append(std::move(atom))) {
                break;
            }
        }
    }
    if (failed()) {
        result_.root.reset();
    }
    return std::move(result_);
}

}  // namespace

SexprResult parseSexpr(std::string_view input, const SexprLimits& limits,
                       const SexprSyntax& syntax) {
    try {
        Parser parser(input, limits, syntax);
        return parser.run();
    } catch (const std::bad_alloc&) {
        SexprResult result;
        result.error = "not enough memory to read the input";
        result.line = 1;
        result.column = 1;
        return result;
    }
}
