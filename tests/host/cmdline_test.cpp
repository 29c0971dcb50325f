// The command-line forms: the install folder however a script quotes it,
// and the switch that lets a running Quillarix be closed.
#include "base/cmdline.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseCommandLine, FolderPlainOrQuotedAndCloseApplications)
{
    struct Case {
        const char *line;
        bool ok, close, folder;  // folder: C:\Program Files\Quillarix Studio
    } const cases[] = {
        {"setup.exe /S /D=C:\\Program Files\\Quillarix Studio", true, false, true},
        {"setup.exe /S \"/D=C:\\Program Files\\Quillarix Studio\"", true, false, true},
        {"setup.exe /S /D=\"C:\\Program Files\\Quillarix Studio\"  ", true, false, true},
        {"setup.exe /S /closeapplications", true, true, false},
        {"setup.exe /S /CLOSEAPPLICATIONS /D=\"C:\\Program Files\\Quillarix Studio\"", true, true, true},
        {"setup.exe /S /D=\"C:\\Program Files\\Quillarix Studio", false, false, false},
        {"setup.exe /S \"/D=C:\\Program Files\\Quillarix Studio\" /X", false, false, false},
        {"setup.exe /S /CLOSEAPPS", false, false, false},
    };
    for (const Case &c : cases) {
        CommandLine parsed;
        EXPECT_EQ(c.ok, ParseCommandLine(c.line, kSwitchFolder, &parsed)) << c.line;
        EXPECT_TRUE(parsed.silent) << c.line;
        EXPECT_EQ(c.close, parsed.closeApplications) << c.line;
        if (c.ok) {
            EXPECT_EQ(c.folder ? "C:\\Program Files\\Quillarix Studio" : "(none)",
                      std::string(parsed.rest ? parsed.rest : "(none)")) << c.line;
        }
    }
}

}  // namespace
