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
        const char *rest = kSwitchFolder;  // the setup's; kSwitchCopy: the uninstaller's
    } const cases[] = {
        {"setup.exe /S /D=C:\\Program Files\\Quillarix Studio", true, false, true},
        {"setup.exe /S \"/D=C:\\Program Files\\Quillarix Studio\"", true, false, true},
        {"setup.exe /S /D=\"C:\\Program Files\\Quillarix Studio\"  ", true, false, true},
        {"setup.exe /S /closeapplications", true, true, false},
        {"setup.exe /S /CLOSEAPPLICATIONS /D=\"C:\\Program Files\\Quillarix Studio\"", true, true, true},
        {"setup.exe /S /D=\"C:\\Program Files\\Quillarix Studio", false, false, false},
        {"setup.exe /S \"/D=C:\\Program Files\\Quillarix Studio\" /X", false, false, false},
        {"setup.exe /S /CLOSEAPPS", false, false, false},
        // Each program refuses the other's rest-of-line switch.
        {"setup.exe /S /QLXCOPY 1 2 3 4 C:\\x", false, false, false},
        {"qlxuins1.exe /S /D=C:\\Program Files\\Quillarix Studio", false, false, false, kSwitchCopy},
    };
    for (const Case &c : cases) {
        CommandLine parsed;
        EXPECT_EQ(c.ok, ParseCommandLine(c.line, c.rest, &parsed)) << c.line;
        EXPECT_EQ(Talk::kLog, parsed.mode.talk) << c.line;
        EXPECT_EQ(c.close, parsed.mode.closeApplications) << c.line;
        if (c.ok) {
            EXPECT_EQ(c.folder ? "C:\\Program Files\\Quillarix Studio" : "(none)",
                      std::string(parsed.rest ? parsed.rest : "(none)")) << c.line;
        }
    }
}

}  // namespace
