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
        Scope scope = Scope::kAllUsers;
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
        // One scope or the other, never both.
        {"setup.exe /S /currentuser /D=C:\\Program Files\\Quillarix Studio", true, false, true,
         kSwitchFolder, Scope::kThisUser},
        {"qlxuins1.exe /S /CURRENTUSER", true, false, false, kSwitchCopy, Scope::kThisUser},
        {"setup.exe /S /ALLUSERS /CURRENTUSER", false, false, false},
        {"setup.exe /S /CURRENTUSER /CURRENTUSERS", false, false, false},
    };
    for (const Case &c : cases) {
        CommandLine parsed;
        EXPECT_EQ(c.ok, ParseCommandLine(c.line, c.rest, &parsed)) << c.line;
        EXPECT_EQ(Talk::kLog, parsed.mode.talk) << c.line;
        EXPECT_EQ(c.close, parsed.mode.closeApplications) << c.line;
        if (c.ok) {
            EXPECT_EQ(c.scope, parsed.mode.scope) << c.line;
            EXPECT_EQ(c.folder ? "C:\\Program Files\\Quillarix Studio" : "(none)",
                      std::string(parsed.rest ? parsed.rest : "(none)")) << c.line;
        }
    }
}

// The elevated copy's line: the arguments as given, the scope once and the copy's mark before the
// rest of the line, which stays last and as quoted.
TEST(RelaunchArguments, ScopeOnceMarkBeforeTheFolderQuotingKept)
{
    struct Case {
        const char *line, *arguments;  // null: does not fit
        std::size_t cch = 256;
    } const cases[] = {
        {"setup.exe", "/ALLUSERS /QLXELEVATED"},
        {"\"C:\\My Downloads\\setup.exe\" /S  /LOG=\"C:\\a b.log\" /D=C:\\Program Files\\Q",
         "/S /LOG=\"C:\\a b.log\" /ALLUSERS /QLXELEVATED /D=C:\\Program Files\\Q"},
        {"setup.exe /allusers \"/D=C:\\Q R\"", "/allusers /QLXELEVATED \"/D=C:\\Q R\""},
        {"setup.exe /S", nullptr, 22},  // "/S /ALLUSERS /QLXELEVATED" needs 26
    };
    for (const Case &c : cases) {
        char out[256];
        bool fits = RelaunchArguments(c.line, kSwitchFolder, out, c.cch);
        EXPECT_EQ(c.arguments != nullptr, fits) << c.line;
        if (fits && c.arguments) {
            EXPECT_EQ(c.arguments, std::string(out)) << c.line;
        }
    }
}

// Environment names in a path, as the programs expand them in /LOG= and /D=.
TEST(ExpandNames, NamesSetAreExpandedAnyOtherRefusedALoneSignKept)
{
    auto lookup = [](const char *name, char *value, std::size_t cb) {
        return std::string(name) == "WINDIR" && CopyText(value, cb, "C:\\Windows");
    };
    const char *const cases[][3] = {  // text, expanded, the name not set
        {"%WINDIR%\\Logs\\setup.log", "C:\\Windows\\Logs\\setup.log", ""},
        {"C:\\50% off\\100%%\\%WINDIR%", "C:\\50% off\\100%%\\C:\\Windows", ""},
        {"C:\\%QLX_NOT_SET%\\Quillarix", nullptr, "QLX_NOT_SET"},
    };
    for (auto &c : cases) {
        char out[kCbPath], missing[kCbPath];
        EXPECT_EQ(c[1] != nullptr, ExpandNames(c[0], out, sizeof out, lookup, missing, sizeof missing));
        EXPECT_EQ(c[1] ? c[1] : "", std::string(c[1] ? out : "")) << c[0];
        EXPECT_STREQ(c[2], missing) << c[0];
    }
}

}  // namespace
