#include "file_name_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FileNameCase {
    const char* why;
    std::string bytes;
    QString shown;
};

}  // namespace

TEST(FileNameText, ShowsValidUtf8AsItIsAndEveryOtherByteSoThatNamesStayApart) {
    const FileNameCase cases[] = {
        {"plain", "IC.LIB", QStringLiteral("IC.LIB")},
        {"UTF-8 of two, three and four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\x8C",
         QString::fromUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\x8C")},
        {"Latin-1", "LIB\xE9.LIB", QStringLiteral("LIB\\xE9.LIB")},
        {"U+FFFD itself stays a character", "\xEF\xBF\xBD", QString(QChar(0xFFFD))},
        {"a backslash, so that a typed \\xE9 differs", "A\\xE9", QStringLiteral("A\\\\xE9")},
        {"stray continuation byte", "\x80", QStringLiteral("\\x80")},
        {"overlong encoding", "\xC0\xAF", QStringLiteral("\\xC0\\xAF")},
        {"overlong three-byte", "\xE0\x80\xAF", QStringLiteral("\\xE0\\x80\\xAF")},
        {"surrogate", "\xED\xA0\x80", QStringLiteral("\\xED\\xA0\\x80")},
        {"above U+10FFFF", "\xF4\x90\x80\x80", QStringLiteral("\\xF4\\x90\\x80\\x80")},
        {"cut short at the end", "A\xE2\x82", QStringLiteral("A\\xE2\\x82")},
        {"cut short before a letter", "\xE2\x82Z", QStringLiteral("\\xE2\\x82Z")},
    };
    for (const FileNameCase& c : cases) {
        EXPECT_EQ(fileNameText(c.bytes), c.shown) << c.why;
    }
}
