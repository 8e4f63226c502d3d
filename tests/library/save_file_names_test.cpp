#include "save_file_names.h"

#include <gtest/gtest.h>

#include <string>

TEST(SaveFileNames, MatchOnlyThePatternSavesUse) {
    struct Case {
        const char* name;
        bool matches;
    };
    for (const Case& row : {
             Case{".IC.LIB.~cobble-save-123-0~", true},
             Case{".IC.LIB.~cobble-backup-9-17~", true},
             Case{".IC.LIB.~cobble-lock~", true},
             Case{".a.~cobble-save-1-2~.~cobble-save-3-4~", true},
             Case{"..~cobble-save-1-1~", false},  // names no file
             // A user's files, including those in the pattern of an older program.
             Case{".IC.LIB.save-2019-06", false},
             Case{".IC.LIB.save-123-0", false},
             Case{".IC.LIB.backup-9-17", false},
             Case{"IC.LIB.~cobble-save-1-2~", false},
             Case{".~cobble-save-1-2~", false},
             Case{".IC.LIB.~cobble-save-1-2", false},
             Case{".IC.LIB.~cobble-save-12~", false},
             Case{".IC.LIB.~cobble-save-1--2~", false},
             Case{".IC.LIB.~cobble-save-01-2~", false},
             Case{".IC.LIB.~cobble-save-1x-2~", false},
             Case{".IC.LIB.~cobble-save-1-2~.LIB", false},
             Case{".IC.LIB.~cobble-copy-1-2~", false},
             Case{".IC.LIB.~cobble-lock-1~", false},
             Case{".IC.LIB.~cobble-save-123456789012345678901-0~", false},
             Case{"", false},
         }) {
        EXPECT_EQ(isSaveTemporaryName(row.name), row.matches) << row.name;
    }
}

TEST(SaveFileNames, NamesReadBackAsWhatTheyWereMadeFor) {
    const std::string longName = std::string(240, 'L') + ".LIB";
    for (const std::string& target : {std::string("IC.LIB"), longName}) {
        for (const SaveFileKind kind :
             {SaveFileKind::temporary, SaveFileKind::backup, SaveFileKind::lock}) {
            const std::string name = saveFileName(target, kind, 4294967295u, 18446744073709551615u);
            EXPECT_LE(name.size(), 255u) << name;
            const auto parsed = parseSaveFileName(name);
            ASSERT_TRUE(parsed) << name;
            EXPECT_EQ(parsed->kind, kind);
            EXPECT_EQ(parsed->stem, saveFileStem(target));
            EXPECT_EQ(parsed->process, kind == SaveFileKind::lock ? 0u : 4294967295u);
        }
    }
    EXPECT_EQ(saveFileStem("IC.LIB"), "IC.LIB");
}

// Long names that differ only at the end must not share their files: a lock shared by accident
// only serialises, but a shared stem would let one save sweep the other's files.
TEST(SaveFileNames, LongNamesAreShortenedApartAndWithinWholeCharacters) {
    const std::string stem = std::string(230, 'A');
    const std::string a = saveFileStem(stem + "1.LIB");
    const std::string b = saveFileStem(stem + "2.LIB");
    EXPECT_NE(a, b);
    EXPECT_LT(a.size(), 230u);
    // A two-byte character across the cut is kept whole or left out, never halved.
    const std::string accented = std::string(178, 'A') + "\xC3\xA9" + std::string(60, 'B');
    const std::string cut = saveFileStem(accented);
    EXPECT_EQ(cut.substr(0, 179), std::string(178, 'A') + "~") << cut;
}
