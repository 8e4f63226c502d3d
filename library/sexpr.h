#pragma once

#include <concepts>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// One node of an s-expression: a list of nodes, or an atom. Atoms keep their text; a number is
/// an atom whose text reads as a decimal number, and also carries its value. `line` and `column`
/// (both from 1) say where the node starts, so callers can point at a bad value. A node is a view:
/// its text points into the input it was read from (or, for a quoted text with escapes, into the
/// result's own store of decoded texts) and its items into the result's array of nodes, so it is
/// valid as long as both the input and the `SexprResult` are.
struct SexprNode {
    enum class Kind { List, Symbol, Number, String };

    Kind kind = Kind::List;
    std::string_view text;
    double number = 0.0;
    std::span<const SexprNode> items;
    int line = 1;
    int column = 1;

    bool isList() const { return kind == Kind::List; }
    bool isAtom() const { return kind != Kind::List; }
    bool isNumber() const { return kind == Kind::Number; }

    /// For a list whose first item is a symbol: that symbol; otherwise empty.
    std::string_view head() const;

    /// The first item of this list that is a list headed by `name`, or none.
    const SexprNode* child(std::string_view name) const;

    /// Every item of this list that is a list headed by `name`, in order.
    std::vector<const SexprNode*> children(std::string_view name) const;
};

/// The limits every input is read within; inputs beyond them are refused, never truncated.
struct SexprLimits {
    std::size_t maxInputBytes = 16u * 1024u * 1024u;
    int maxDepth = 64;
    std::size_t maxTokenBytes = 64u * 1024u;
    std::size_t maxListItems = 100000;
    std::size_t maxNodes = 1000000;
};

/// What a reader accepts beyond the plain syntax of KiCad's files, which has neither.
struct SexprSyntax {
    /// `#` where a word could start begins a comment that runs to the end of its line.
    bool hashComments = false;
    /// A quoted text holds printable ASCII only, so that every other code stands in the input as
    /// an escape and the input shows each byte it means.
    bool asciiTexts = false;
};

/// A parse that either produced one top-level list or says why not, with the place. It owns
/// the nodes and the decoded texts its root views, so it moves but does not copy.
struct SexprResult {
    const SexprNode* root = nullptr;
    std::string error;
    int line = 0;
    int column = 0;
    /// Every node, each list's items side by side, the root last.
    std::vector<SexprNode> nodes;
    /// The texts of quoted strings that held escapes, decoded; reserved once, so never moved.
    std::vector<char> decoded;

    SexprResult() = default;
    SexprResult(SexprResult&&) = default;
    SexprResult& operator=(SexprResult&&) = default;
    SexprResult(const SexprResult&) = delete;
    SexprResult& operator=(const SexprResult&) = delete;

    explicit operator bool() const { return root != nullptr; }
    /// "line L, column C: error", or empty on success.
    std::string message() const;
};

/// "line L, column C: what": how every message about a place in a parsed text begins.
std::string atSexprPlace(int line, int column, const std::string& what);

/// How a message names `node`: "(pad" for a list, "the word smd", "the number 1.5", and a quoted
/// text as "the text \"...\"", or as "a text" when `showTexts` is false because its bytes need
/// not be printable.
std::string describeSexprNode(const SexprNode& node, bool showTexts);

/// Reads exactly one parenthesised list from `input` (surrounding blanks allowed), whose bytes
/// the result's nodes view. Quoted strings take the escapes \" \\ \n \r \t \a \b \f \v, \xHH
/// and up to three octal digits; any other escape is an error. Nesting is handled without
/// recursion, so the depth limit, not the stack, bounds it. Throws nothing: running out of memory
/// is reported like any other failure.
SexprResult parseSexpr(std::string_view input, const SexprLimits& limits = {},
                       const SexprSyntax& syntax = {});
/// A temporary string would be gone before its nodes are read, so it is refused at compile time.
template <std::same_as<std::string> Text>
SexprResult parseSexpr(Text&& input, const SexprLimits& limits = {},
                       const SexprSyntax& syntax = {}) = delete;
