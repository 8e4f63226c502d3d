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
    if (root != nullptr) {
        return {};
    }
    return atSexprPlace(line, column, error);
}

std::string atSexprPlace(int line, int column, const std::string& what) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + what;
}

std::string describeSexprNode(const SexprNode& node, bool showTexts) {
    switch (node.kind) {
        case SexprNode::Kind::List:
            return node.head().empty() ? std::string("a list") : "(" + std::string(node.head());
        case SexprNode::Kind::Symbol:
            return "the word " + std::string(node.text);
        case SexprNode::Kind::Number:
            return "the number " + std::string(node.text);
        case SexprNode::Kind::String:
            return showTexts ? "the text \"" + std::string(node.text) + "\"" : "a text";
    }
    return {};
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
    bool append(const SexprNode& node, std::size_t first = 0, std::size_t count = 0);
    bool closeList();
    bool readString(SexprNode& node);
    bool readAtom(SexprNode& node);

    /// A finished node waiting for its list to close; a list carries where its items went.
    struct Pending {
        SexprNode node;
        std::size_t first = 0;
        std::size_t count = 0;
    };
    /// A list still open: where it starts and where its items begin among the pending nodes.
    struct OpenList {
        int line;
        int column;
        std::size_t firstPending;
    };
    /// Where a list's items lie in the result's nodes, for the pass that points it at them.
    struct Placement {
        std::size_t list;
        std::size_t first;
        std::size_t count;
    };

    std::string_view in_;
    const SexprLimits& limits_;
    const SexprSyntax& syntax_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int column_ = 1;
    std::size_t nodes_ = 0;
    // The lists still open, outermost first, and the items read for them so far, in order. A
    // list that closes moves its items side by side into the result's nodes and becomes an item
    // of its parent, so every list's items end up next to each other. Items are pointed at
    // their places once all nodes are in, when the array no longer grows.
    std::vector<OpenList> open_;
    std::vector<Pending> pending_;
    std::vector<Placement> placements_;
    SexprResult result_;
};

bool Parser::append(const SexprNode& node, std::size_t first, std::size_t count) {
    if (pending_.size() - open_.back().firstPending >= limits_.maxListItems) {
        fail("a list with more than " + std::to_string(limits_.maxListItems) + " elements",
             node.line, node.column);
        return false;
    }
    pending_.push_back({node, first, count});
    return true;
}

bool Parser::closeList() {
    const OpenList list = open_.back();
    open_.pop_back();
    std::vector<SexprNode>& nodes = result_.nodes;
    const std::size_t first = nodes.size();
    for (std::size_t i = list.firstPending; i < pending_.size(); ++i) {
        const Pending& item = pending_[i];
        if (item.node.isList()) placements_.push_back({nodes.size(), item.first, item.count});
        nodes.push_back(item.node);
    }
    const std::size_t count = pending_.size() - list.firstPending;
    pending_.resize(list.firstPending);
    SexprNode done;
    done.line = list.line;
    done.column = list.column;
    if (!open_.empty()) return append(done, first, count);
    placements_.push_back({nodes.size(), first, count});
    nodes.push_back(done);
    for (const Placement& placed : placements_) {
        nodes[placed.list].items =
            std::span<const SexprNode>(nodes.data() + placed.first, placed.count);
    }
    result_.root = &nodes.back();
    return true;
}

bool Parser::readString(SexprNode& node) {
    node.kind = SexprNode::Kind::String;
    advance();  // the opening quote
    // A text without escapes is a view of the input; the first escape moves what was read so far
    // into the decoded store, where the rest of the text is decoded.
    const std::size_t start = pos_;
    std::vector<char>& decoded = result_.decoded;
    bool escaped = false;
    std::size_t decodedStart = 0;
    std::size_t size = 0;
    const auto put = [&](char c) {
        decoded.push_back(c);
        ++size;
    };
    while (true) {
        if (pos_ >= in_.size()) {
            fail("the text that starts here has no closing quote", node.line, node.column);
            return false;
        }
        if (size >= limits_.maxTokenBytes) {
            fail("a text longer than " + std::to_string(limits_.maxTokenBytes) + " bytes",
                 node.line, node.column);
            return false;
        }
        const char c = peek();
        if (c == '"') {
            node.text = escaped ? std::string_view(decoded.data() + decodedStart, size)
                                : in_.substr(start, size);
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
            if (escaped) {
                put(c);
            } else {
                ++size;
            }
            advance();
            continue;
        }
        if (!escaped) {
            // Decoded texts are never longer than their quoted form, so the input from this text
            // on bounds the store, and reserving that once keeps earlier views valid.
            if (decoded.capacity() == 0) decoded.reserve(in_.size() - start);
            escaped = true;
            decodedStart = decoded.size();
            decoded.insert(decoded.end(), in_.data() + start, in_.data() + pos_);
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
                put(e);
                break;
            case 'n':
                put('\n');
                break;
            case 'r':
                put('\r');
                break;
            case 't':
                put('\t');
                break;
            case 'a':
                put('\a');
                break;
            case 'b':
                put('\b');
                break;
            case 'f':
                put('\f');
                break;
            case 'v':
                put('\v');
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
                put(static_cast<char>(value));
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
                    put(static_cast<char>(value));
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
    node.text = in_.substr(start, pos_ - start);
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
            const OpenList& innermost = open_.back();
            fail("the input ends before the list opened at line " + std::to_string(innermost.line) +
                     ", column " + std::to_string(innermost.column) + " is closed",
                 line_, column_);
            break;
        }
        const char c = peek();
        if (open_.empty() && result_.root != nullptr) {
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
            open_.push_back({line_, column_, pending_.size()});
            advance();
        } else if (c == ')') {
            if (open_.empty()) {
                fail("a ')' without a matching '('", line_, column_);
                break;
            }
            advance();
            if (!closeList()) {
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
            if (!ok || !append(atom)) {
                break;
            }
        }
    }
    if (failed()) {
        result_.root = nullptr;
        result_.nodes.clear();
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
