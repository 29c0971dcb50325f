// The programs' command lines. Both take /S (silent: no window at all), /LOG=file (quotes allowed,
// around the path or the whole switch) and /?; switches are case-insensitive. One switch, named by
// the caller, takes the rest of the line as it stands, blanks included: the setup's /D= (the
// install folder, NSIS style, so it must come last), and the uninstaller's internal switch for its
// temporary copy.
#pragma once
#include "base/pathtext.h"
#include "base/runmode.h"

inline constexpr char kSwitchSilent[] = "/S";
inline constexpr char kSwitchLog[] = "/LOG=";
inline constexpr char kSwitchHelp[] = "/?";
inline constexpr char kSwitchCloseApps[] = "/CLOSEAPPLICATIONS";
// For whom: every user (administrator rights needed) or only the person running the program.
inline constexpr char kSwitchAllUsers[] = "/ALLUSERS";
inline constexpr char kSwitchCurrentUser[] = "/CURRENTUSER";
// Given by a program to the copy of itself it starts with administrator rights: that copy, if it
// still has none, refuses instead of starting itself again.
inline constexpr char kSwitchElevated[] = "/QLXELEVATED";
// The rest-of-line switches: the setup's install folder, and the uninstaller's temporary copy's
// (what follows it is for the copy alone). Each program refuses the other's.
inline constexpr char kSwitchFolder[] = "/D=";
inline constexpr char kSwitchCopy[] = "/QLXCOPY ";

struct CommandLine {
    RunMode mode;        // /S makes it silent; /CLOSEAPPLICATIONS; the scope, every user by default
    bool scopeGiven;     // /ALLUSERS or /CURRENTUSER (both: not understood)
    bool elevatedCopy;   // /QLXELEVATED
    bool help;
    char log[kCbPath];   // empty without /LOG=
    const char *rest;    // after the rest-of-line switch; null without it
    char quotedRest[kCbPath];  // rest points here when it was quoted
};

// Parses line, the whole command line with the program's name (quoted or not) first. False for an
// argument that is not a switch above, a /LOG= without a file, or a path that does not fit the path
// text; what was parsed until then stays in *out. A quoted rest that does not fit quotedRest is
// handed on as the line holds it, longer than any path.
bool ParseCommandLine(const char *line, const char *restSwitch, CommandLine *out);

// The arguments of line (the whole command line, the program's name first) for the copy of the
// program that is started with administrator rights: the same arguments, /ALLUSERS added unless
// given, and kSwitchElevated, both placed before the rest-of-line switch (which must stay last)
// or at the end, into out (cchOut units). False where it does not fit.
template <typename Char>
bool RelaunchArguments(const Char *line, const char *restSwitch, Char *out, std::size_t cchOut)
{
    auto same = [](const Char *text, const char *word, bool wholeWord) {
        for (; *word; ++text, ++word)
            if ((*text >= 'a' && *text <= 'z' ? *text - 'a' + 'A' : *text) != *word)
                return false;
        return !wholeWord || *text == 0 || *text == ' ' || *text == '\t';
    };
    const Char *p = line;
    for (bool quoted = false; *p && (quoted || (*p != ' ' && *p != '\t')); ++p)
        quoted = *p == '"' ? !quoted : quoted;
    std::size_t cch = 0;
    auto put = [&](Char c) { return cch + 1 < cchOut ? (out[cch++] = c, true) : false; };
    auto puts = [&](const char *text) {
        for (; *text; ++text)
            if (!put(static_cast<Char>(*text)))
                return false;
        return true;
    };
    bool allUsers = false;
    for (;;) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (!*p || same(p, restSwitch, false) || (*p == '"' && same(p + 1, restSwitch, false)))
            break;
        allUsers = allUsers || same(p, kSwitchAllUsers, true);
        for (bool quoted = false; *p && (quoted || (*p != ' ' && *p != '\t')); ++p) {
            quoted = *p == '"' ? !quoted : quoted;
            if (!put(*p))
                return false;
        }
        if (!put(' '))
            return false;
    }
    if ((!allUsers && (!puts(kSwitchAllUsers) || !put(' '))) || !puts(kSwitchElevated))
        return false;
    if (*p && !put(' '))
        return false;
    for (; *p; ++p)
        if (!put(*p))
            return false;
    out[cch] = 0;
    return true;
}

// Expands each %NAME% in text into out (cbOut bytes), as Windows' own tools do with a path that
// names a folder by its environment variable (%WINDIR%\Logs, %ProgramFiles(x86)%): lookup(name,
// value, cbValue) gives a name's value, false where it is not set. A '%' that opens no name (no
// '%' closes it before a '\\', ':', '"' or the end, or the name would be empty) stays as it is.
// False where a name is not set (then that name, without its '%'s, in missing: cbMissing bytes)
// or the result does not fit.
template <typename Lookup>
bool ExpandNames(const char *text, char *out, std::size_t cbOut, Lookup lookup, char *missing,
                 std::size_t cbMissing)
{
    out[0] = missing[0] = '\0';
    char piece[kCbPath];
    for (const char *p = text; *p;) {
        const char *end = p + 1;
        while (*p == '%' && *end && *end != '%' && *end != '\\' && *end != ':' && *end != '"')
            ++end;
        std::size_t cchName = static_cast<std::size_t>(end - p - 1);
        if (*p != '%' || *end != '%' || cchName == 0) {
            char one[2] = {*p++, '\0'};
            if (!AppendText(out, cbOut, one))
                return false;
            continue;
        }
        if (cchName >= sizeof piece)
            return false;
        for (std::size_t i = 0; i < cchName; ++i)
            piece[i] = p[1 + i];
        piece[cchName] = '\0';
        char value[kCbPath];
        if (!lookup(static_cast<const char *>(piece), value, sizeof value)) {
            CopyText(missing, cbMissing, piece);
            return false;
        }
        if (!AppendText(out, cbOut, value))
            return false;
        p = end + 1;
    }
    return true;
}
