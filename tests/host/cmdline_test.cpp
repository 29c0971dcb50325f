// The command-line forms: the install folder however a script quotes it,
// and the switch that lets a running Quillarix be closed.
#include "base/cmdline.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseCommandLine, FolderPlainOrQuotedAndCloseApplications)
{
    const std::string kStudio = "C:\\Program Files\\Quillarix Studio";
    struct Case {
        const char *line;
        bool ok, silent, close;
        const char *rest;  // null: none
    } const cases[] = {
        {"setup.exe /S /D=C:\\Program Files\\Quillarix Studio", true, true, false, ""},
        {"setup.exe /S \"/D=C:\\Program Files\\Quillarix Studio\"", true, true, false, ""},
        {"setup.exe /S /D=\"C:\\Program Files\\Quillarix Studio\"  ", true, true, false, ""},
        {"setup.exe /closeapplications /s", true, true, true, nullptr},
        {"setup.exe /S /CLOSEAPPLICATIONS /D=\"C:\\Program Files\\Quillarix Studio\"", true, true,
         true, ""},
        {"setup.exe /S /D=\"C:\\Program Files\\Quillarix Studio", false, true, false, nullptr},
        {"setup.exe /S \"/D=C:\\Program Files\\Quillarix Studio\" /X", false, true, false,
         nullptr},
        {"setup.exe /CLOSEAPPS", false, false, false, nullptr},
    };
    for (const Case &c : cases) {
        CommandLine parsed;
        EXPECT_EQ(c.ok, ParseCommandLine(c.line, kSwitchFolder, &parsed)) << c.line;
        EXPECT_EQ(c.silent, parsed.silent) << c.line;
        EXPECT_EQ(c.close, parsed.closeApplications) << c.line;
        if (c.ok) {
            EXPECT_EQ(c.rest ? kStudio : "(none)", parsed.rest ? parsed.rest : "(none)") << c.line;
        }
    }
    // A quoted folder too long for a path stays as the line holds it, quotes
    // and all, and is refused as too long by its taker.
    std::string line = "setup.exe \"/D=C:\\" + std::string(kCbPath, 'a') + "\"";
    CommandLine parsed;
    ASSERT_TRUE(ParseCommandLine(line.c_str(), kSwitchFolder, &parsed));
    EXPECT_GE(std::string(parsed.rest).size(), kCbPath);
}

}  // namespace
