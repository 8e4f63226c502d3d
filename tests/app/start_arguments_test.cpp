#include "start_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Action = StartRequest::Action;

struct StartCase {
    std::vector<std::string> arguments;
    Action action;
    std::string file;
    std::string message;
};

class StartArguments : public testing::TestWithParam<StartCase> {};

TEST_P(StartArguments, ReadsTheWindowsCommandLine) {
    const StartCase& c = GetParam();
    const StartRequest request = parseStartArguments(c.arguments);
    EXPECT_EQ(request.action, c.action);
    EXPECT_EQ(request.file, c.file);
    EXPECT_EQ(request.message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartArguments,
    testing::Values(StartCase{{}, Action::run, "", ""},
                    StartCase{{"IC.LIB"}, Action::run, "IC.LIB", ""},
                    // A file manager passes any name, also one that only looks like an option.
                    StartCase{{"--", "-odd.LIB"}, Action::run, "-odd.LIB", ""},
                    StartCase{{"-"}, Action::run, "-", ""},
                    StartCase{{"\xE9t\xE9.LIB"}, Action::run, "\xE9t\xE9.LIB", ""},
                    // Help and version win wherever they stand, so that help2man and a confused
                    // user get them even beside a mistake.
                    StartCase{{"IC.LIB", "--help"}, Action::help, "", ""},
                    StartCase{{"--frob", "-h"}, Action::help, "", ""},
                    StartCase{{"--version", "a", "b"}, Action::version, "", ""},
                    StartCase{{"--", "--help"}, Action::run, "--help", ""},
                    StartCase{{"--frob"}, Action::usageError, "", "unknown option \"--frob\""},
                    StartCase{
                        {"a.LIB", "b.LIB"}, Action::usageError, "", "one FILE at most, 2 given"}));

TEST(StartArguments, HelpAndVersionHaveTheShapeHelp2manReads) {
    const std::string help = helpText();
    EXPECT_EQ(help.rfind("Usage: cobblestack [OPTION]... [FILE]\n", 0), 0u) << help;
    EXPECT_NE(help.find("\n  -h, --help "), std::string::npos);
    EXPECT_NE(help.find("\n      --version "), std::string::npos);
    EXPECT_EQ(versionText().rfind("cobblestack 1.0\n", 0), 0u) << versionText();
}

}  // namespace
