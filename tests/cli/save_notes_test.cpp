// What `cobble`'s writers print when a save succeeded but could not give the new file everything
// the old one had: run in the process, where a save's temporaries can be made to refuse a user
// attribute.

#include "build_command.h"
#include "copy_command.h"
#include "delete_command.h"
#include "import_kicad_command.h"
#include "interrupted_save.h"
#include "library.h"
#include "library_file_builder.h"
#include "library_text.h"
#include "name_list.h"
#include "recover_command.h"
#include "refused_attributes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct NoteCase {
    const char* label;
    /// Runs the command on the library `target`, with what it reads in `dir`.
    std::function<ExitStatus(const TemporaryDirectory& dir, const std::string& target,
                             const Console& console)>
        run;
};

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

const NoteCase kNoteCases[] = {
    {"copy",
     [](const TemporaryDirectory& dir, const std::string& target, const Console& console) {
         writeLibrary(dir / "SRC.LIB", {"NEW"});
         return runCopy({(dir / "SRC.LIB").string(), {"NEW"}, target}, console);
     }},
    {"delete",
     [](const TemporaryDirectory&, const std::string& target, const Console& console) {
         return runDelete({target, {"OLD"}}, console);
     }},
    {"build",
     [](const TemporaryDirectory& dir, const std::string& target, const Console& console) {
         writeLibrary(dir / "SRC.LIB", {"NEW"});
         Library source;
         PlainNameList names;
         source.load((dir / "SRC.LIB").string(), names);
         writeText(dir / "SRC.txt", libraryText(source));
         return runBuild({(dir / "SRC.txt").string(), target}, console);
     }},
    {"import",
     [](const TemporaryDirectory& dir, const std::string& target, const Console& console) {
         writeText(dir / "NEW.kicad_mod",
                   "(footprint \"NEW\" (version 20211014) (generator pcbnew) (layer \"F.Cu\")\n"
                   "  (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\")))\n");
         KicadImportRequest request;
         request.inputs = {(dir / "NEW.kicad_mod").string()};
         request.library = target;
         return runImportKicad(request, console);
     }},
    {"recover",
     [](const TemporaryDirectory&, const std::string& target, const Console& console) {
         writeInterruptedBackup(target, {"OLD"});
         RecoverOptions options;
         options.library = target;
         options.restore = true;
         return runRecover(options, console);
     }},
};

class SaveNote : public testing::TestWithParam<NoteCase> {};

}  // namespace

// A save that could not give the new file a user attribute of the old one said nothing of it.
TEST_P(SaveNote, IsPrintedOnceAsAnErrorLineAndTheCommandSucceeds) {
    TemporaryDirectory dir;
    const fs::path target = dir / "D.LIB";
    writeLibrary(target, {"OLD", "KEEP"});
    if (!giveLargeAttribute(target)) GTEST_SKIP() << "no user attributes here";
    std::ostringstream out;
    std::ostringstream err;
    const Console console{out, err};

    ExitStatus status = ExitStatus::Trouble;
    {
        const RefusedAttributes refused;
        status = GetParam().run(dir, target.string(), console);
        if (!RefusedAttributes::filled()) GTEST_SKIP() << "no limit to a file's attributes here";
    }

    const std::string errors = err.str();
    EXPECT_EQ(status, ExitStatus::Success) << out.str() << errors;
    const std::string prefix =
        "cobble: " + target.string() + ": the new file lacks the extended attribute user.large";
    EXPECT_EQ(errors.rfind(prefix, 0), 0u) << errors;
    EXPECT_NE(errors.find("user.large"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

INSTANTIATE_TEST_SUITE_P(Writers, SaveNote, testing::ValuesIn(kNoteCases),
                         [](const testing::TestParamInfo<NoteCase>& row) {
                             return std::string(row.param.label);
                         });
