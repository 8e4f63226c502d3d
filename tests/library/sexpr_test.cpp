#include "sexpr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Sexpr, ReadsNestedListsWithTheirPlaces) {
    const SexprResult r = parseSexpr("(footprint \"A b\"\n  (at 1.5 -2) (layer F.Cu))");
    ASSERT_TRUE(r) << r.message();
    const SexprNode& root = *r.root;
    EXPECT_EQ(root.head(), "footprint");
    ASSERT_EQ(root.items.size(), 4u);
    EXPECT_EQ(root.items[1].kind, SexprNode::Kind::String);
    EXPECT_EQ(root.items[1].text, "A b");
    const SexprNode* at = root.child("at");
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->line, 2);
    EXPECT_EQ(at->column, 3);
    EXPECT_DOUBLE_EQ(at->items[1].number, 1.5);
    EXPECT_DOUBLE_EQ(at->items[2].number, -2.0);
    EXPECT_EQ(root.child("layer")->items[1].kind, SexprNode::Kind::Symbol);
    EXPECT_EQ(root.child("nothing"), nullptr);
}

struct AtomCase {
    const char* input;  // the one atom inside "(x ...)"
    SexprNode::Kind kind;
    const char* text;
};

class SexprAtom : public testing::TestWithParam<AtomCase> {};

TEST_P(SexprAtom, IsReadAsItsKindAndText) {
    const std::string input = std::string("(x ") + GetParam().input + ")";
    const SexprResult r = parseSexpr(input);
    ASSERT_TRUE(r) << r.message();
    ASSERT_EQ(r.root->items.size(), 2u);
    EXPECT_EQ(r.root->items[1].kind, GetParam().kind);
    EXPECT_EQ(r.root->items[1].text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Atoms, SexprAtom,
    testing::Values(AtomCase{"12", SexprNode::Kind::Number, "12"},
                    AtomCase{"-0.635", SexprNode::Kind::Number, "-0.635"},
                    AtomCase{".5", SexprNode::Kind::Number, ".5"},
                    AtomCase{"+1e-3", SexprNode::Kind::Number, "+1e-3"},
                    // Words that start like numbers stay words.
                    AtomCase{"1x02", SexprNode::Kind::Symbol, "1x02"},
                    AtomCase{"F.Cu", SexprNode::Kind::Symbol, "F.Cu"},
                    AtomCase{"*.Cu", SexprNode::Kind::Symbol, "*.Cu"},
                    AtomCase{"-", SexprNode::Kind::Symbol, "-"},
                    AtomCase{"1e", SexprNode::Kind::Symbol, "1e"},
                    // A time stamp that reads as a vast number stays readable as a number.
                    AtomCase{"61E30443", SexprNode::Kind::Number, "61E30443"},
                    AtomCase{"\"\"", SexprNode::Kind::String, ""},
                    AtomCase{R"("a\"b\\c")", SexprNode::Kind::String, "a\"b\\c"},
                    AtomCase{R"("l1\nl2\tx")", SexprNode::Kind::String, "l1\nl2\tx"},
                    AtomCase{R"("\x41\101")", SexprNode::Kind::String, "AA"},
                    AtomCase{"\"two\nlines\"", SexprNode::Kind::String, "two\nlines"},
                    AtomCase{"\"(not a list)\"", SexprNode::Kind::String, "(not a list)"}));

struct BadCase {
    const char* name;
    std::string input;
    const char* message;  // part of the error
    int line;
    int column;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class SexprBad : public testing::TestWithParam<BadCase> {};

TEST_P(SexprBad, FailsWithAPlacedMessage) {
    SexprLimits limits;
    limits.maxTokenBytes = 100;
    limits.maxListItems = 50;
    limits.maxNodes = 500;
    const SexprResult r = parseSexpr(GetParam().input, limits);
    ASSERT_FALSE(r);
    EXPECT_NE(r.error.find(GetParam().message), std::string::npos) << r.error;
    if (GetParam().line > 0) {
        EXPECT_EQ(r.line, GetParam().line) << r.message();
        EXPECT_EQ(r.column, GetParam().column) << r.message();
    }
    EXPECT_NE(r.message().find("line "), std::string::npos);
}

std::string nested(int depth) { return std::string(depth, '(') + std::string(depth, ')'); }

INSTANTIATE_TEST_SUITE_P(
    Inputs, SexprBad,
    testing::Values(
        BadCase{"empty", "  \n ", "empty", 2, 2},
        BadCase{"not a list", "footprint", "does not start", 1, 1},
        BadCase{"cut short", "(a (b 1)\n (c", "ends before the list opened at line 2, column 2", 2,
                4},
        BadCase{"one close too many", "(a (b))\n)", "more after", 2, 1},
        BadCase{"stray close", "(a))", "more after", 1, 4},
        BadCase{"two lists", "(a) (b)", "more after", 1, 5},
        BadCase{"unclosed text", "(a \"abc)", "no closing quote", 1, 4},
        BadCase{"unknown escape", "(a \"x\\q\")", "unknown escape", 1, 6},
        BadCase{"hex without digits", "(a \"\\xg\")", "hexadecimal", 1, 5},
        BadCase{"octal above 255", "(a \"\\777\")", "above 255", 1, 5},
        BadCase{"control character", "(a b\x01)", "control character", 1, 5},
        BadCase{"deep nesting", nested(65), "deeper than 64", 1, 65},
        BadCase{"long word", "(a " + std::string(101, 'w') + ")", "longer than 100", 1, 4},
        BadCase{"long text", "(a \"" + std::string(101, 't') + "\")", "longer than 100", 1, 4},
        BadCase{"long list",
                "(a" + std::string(50, ' ') +
                    [] {
                        std::string s;
                        for (int i = 0; i < 50; ++i) s += " 1";
                        return s;
                    }() +
                    ")",
                "more than 50", 1, 152},
        BadCase{"too many nodes",
                [] {
                    // 40 lists of 12 atoms each: no list is too long, but there are 521 elements.
                    std::string s = "(";
                    for (int i = 0; i < 40; ++i) s += "(a b c d e f g h i j k l)";
                    return s + ")";
                }(),
                "more than 500", 0, 0}));

TEST(Sexpr, RefusesInputAboveTheSizeLimit) {
    SexprLimits limits;
    limits.maxInputBytes = 10;
    const SexprResult r = parseSexpr("(a bcdefghij)", limits);
    ASSERT_FALSE(r);
    EXPECT_NE(r.error.find("larger than 10"), std::string::npos);
}

// KiCad's files have no comments, so `#` may start one only where a reader asks for it, and never
// inside a word or a text.
TEST(Sexpr, SkipsHashCommentsOnlyWhenAskedAndNeverInsideWordsOrTexts) {
    const std::string input = "# head (\n(a # note (\n \"x#y\" b#c)\n# tail )";
    EXPECT_FALSE(parseSexpr(input));
    const SexprResult r = parseSexpr(input, {}, {.hashComments = true});
    ASSERT_TRUE(r) << r.message();
    ASSERT_EQ(r.root->items.size(), 3u);
    EXPECT_EQ(r.root->items[1].text, "x#y");
    EXPECT_EQ(r.root->items[2].text, "b#c");
    EXPECT_EQ(r.root->items[2].line, 3);
}

TEST(Sexpr, TakesRawBytesInTextsUnlessAsciiIsAskedFor) {
    EXPECT_TRUE(parseSexpr("(a \"\t\xC3\xA9\")"));
    EXPECT_EQ(parseSexpr("(a \"x\ty\")", {}, {.asciiTexts = true}).message(),
              "line 1, column 6: a character other than printable ASCII in a text; write code 9 "
              "as \\x09");
    EXPECT_TRUE(parseSexpr("(a \"x\\ty\\xe9\")", {}, {.asciiTexts = true}));
}

TEST(Sexpr, TakesTheDeepestNestingAllowed) {
    const std::string input = nested(64);
    EXPECT_TRUE(parseSexpr(input));
}

// A reader that trusts its input reads past the end of a cut file; every cut must fail cleanly.
TEST(Sexpr, EveryCutOfAFootprintFailsCleanly) {
    const std::string text =
        "(footprint \"R_0603\" (version 20211014) (layer \"F.Cu\")\n"
        "  (fp_text reference \"REF\\\"**\" (at 0 -1.43) (layer \"F.SilkS\")\n"
        "    (effects (font (size 1 1) (thickness 0.15))))\n"
        "  (pad \"1\" smd roundrect (at -0.825 0) (size 0.8 0.95) (layers \"F.Cu\" \"F.Mask\"))\n"
        ")\n";
    ASSERT_TRUE(parseSexpr(text));
    for (std::size_t length = 0; length + 2 < text.size(); ++length) {
        const SexprResult r = parseSexpr(std::string_view(text).substr(0, length));
        EXPECT_FALSE(r) << "cut at " << length;
        EXPECT_FALSE(r.error.empty());
    }
}

}  // namespace

namespace {

/// The tree written back with every text quoted raw, to compare whole trees in one string.
std::string written(const SexprNode& node) {
    if (node.isAtom()) {
        return node.kind == SexprNode::Kind::String ? "\"" + std::string(node.text) + "\""
                                                    : std::string(node.text);
    }
    std::string out = "(";
    for (const SexprNode& item : node.items) {
        if (out.size() > 1) out += ' ';
        out += written(item);
    }
    return out + ")";
}

struct TreeCase {
    const char* input;
    const char* tree;
};

class SexprTree : public testing::TestWithParam<TreeCase> {};

// Nodes view the input and the result's own arrays: every list must get exactly its own items
// however deep and wide the nesting, and decoded texts (the ones with escapes) must stay intact
// when many of them fill the store and after the result has moved.
TEST_P(SexprTree, KeepsEveryItemInItsListAfterTheResultMoves) {
    const std::string input = GetParam().input;
    std::vector<SexprResult> moved;
    for (int i = 0; i < 5; ++i) moved.push_back(parseSexpr(input));
    for (const SexprResult& r : moved) {
        ASSERT_TRUE(r) << r.message();
        EXPECT_EQ(written(*r.root), GetParam().tree);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SexprTree,
    testing::Values(TreeCase{"(a (b (c d) e) ((f)) () g)", "(a (b (c d) e) ((f)) () g)"},
                    TreeCase{R"((t "x\ty" "plain" ("q\"\\" "\101\x42C") "" "\n"))",
                             "(t \"x\ty\" \"plain\" (\"q\"\\\" \"ABC\") \"\" \"\n\")"},
                    TreeCase{R"((a "\x41\x41\x41\x41" (b "\x42" (c "\x43\x43") "\x44") "\x45"))",
                             R"((a "AAAA" (b "B" (c "CC") "D") "E"))"}));

}  // namespace
