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
// The rest-of-line switches: the setup's install folder, and the uninstaller's temporary copy's
// (what follows it is for the copy alone). Each program refuses the other's.
inline constexpr char kSwitchFolder[] = "/D=";
inline constexpr char kSwitchCopy[] = "/QLXCOPY ";

struct CommandLine {
    RunMode mode;        // /S makes it silent; /CLOSEAPPLICATIONS; every user's installation
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
