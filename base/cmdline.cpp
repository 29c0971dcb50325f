// Command-line parsing, without the system: it is built natively and fuzzed.
#include "base/cmdline.h"

#include <cstring>

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// True when text begins with prefix, case aside (switches are ASCII).
static bool StartsWithSwitch(const char *text, const char *prefix)
{
    for (; *prefix; ++text, ++prefix) {
        char c = *text >= 'a' && *text <= 'z' ? static_cast<char>(*text - 'a' + 'A') : *text;
        if (c != *prefix)
            return false;
    }
    return true;
}

// Copies the argument at *p into arg without its quotes, up to the first
// blank outside quotes, and moves *p past it. False when it does not fit.
static bool NextArgument(const char **p, char *arg, std::size_t cbArg)
{
    std::size_t cch = 0;
    bool quoted = false;
    for (; **p && (quoted || !IsBlank(**p)); ++*p) {
        if (**p == '"') {
            quoted = !quoted;
            continue;
        }
        if (cch + 1 >= cbArg)
            return false;
        arg[cch++] = **p;
    }
    arg[cch] = '\0';
    return true;
}

// The rest-of-line switch's value in quotes: text, just after the opening quote, up to the closing
// one, after which only blanks may come. rest becomes that text, or where it does not fit stays the
// line as it stands (with its quotes, longer than any path, so the caller refuses it as too long).
// False without a closing quote or with more after it.
static bool TakeQuotedRest(const char *text, CommandLine *out)
{
    const char *close = std::strchr(text, '"');
    if (!close)
        return false;
    for (const char *after = close + 1; *after; ++after)
        if (!IsBlank(*after))
            return false;
    std::size_t cch = static_cast<std::size_t>(close - text);
    if (cch >= sizeof out->quotedRest)
        return true;
    std::memcpy(out->quotedRest, text, cch);
    out->quotedRest[cch] = '\0';
    out->rest = out->quotedRest;
    return true;
}

bool ParseCommandLine(const char *line, const char *restSwitch, CommandLine *out)
{
    *out = CommandLine{};
    out->mode = {Talk::kWindows, Scope::kAllUsers, false};
    // The program's name: quoted, or up to the first blank.
    const char *p = line;
    for (bool quoted = false; *p && (quoted || !IsBlank(*p)); ++p)
        if (*p == '"')
            quoted = !quoted;
    char arg[kCbPath + sizeof kSwitchLog];
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            return true;
        if (restSwitch && StartsWithSwitch(p, restSwitch)) {
            out->rest = p + std::strlen(restSwitch);
            return *out->rest != '"' || TakeQuotedRest(out->rest + 1, out);
        }
        if (restSwitch && *p == '"' && StartsWithSwitch(p + 1, restSwitch)) {
            out->rest = p + 1 + std::strlen(restSwitch);
            return TakeQuotedRest(out->rest, out);
        }
        if (!NextArgument(&p, arg, sizeof arg))
            return false;
        if (StartsWithSwitch(arg, kSwitchSilent) && !arg[sizeof kSwitchSilent - 1])
            out->mode.talk = Talk::kLog;
        else if (StartsWithSwitch(arg, kSwitchHelp) && !arg[sizeof kSwitchHelp - 1])
            out->help = true;
        else if (StartsWithSwitch(arg, kSwitchCloseApps) && !arg[sizeof kSwitchCloseApps - 1])
            out->mode.closeApplications = true;
        else if (StartsWithSwitch(arg, kSwitchElevated) && !arg[sizeof kSwitchElevated - 1])
            out->elevatedCopy = true;
        else if ((StartsWithSwitch(arg, kSwitchAllUsers) && !arg[sizeof kSwitchAllUsers - 1]) ||
                 (StartsWithSwitch(arg, kSwitchCurrentUser) && !arg[sizeof kSwitchCurrentUser - 1])) {
            Scope scope = arg[1] == 'A' || arg[1] == 'a' ? Scope::kAllUsers : Scope::kThisUser;
            if (out->scopeGiven && out->mode.scope != scope)
                return false;  // both: for whom is not said
            out->scopeGiven = true;
            out->mode.scope = scope;
        }
        else if (!StartsWithSwitch(arg, kSwitchLog) ||
                 !CopyText(out->log, sizeof out->log, arg + sizeof kSwitchLog - 1) ||
                 !out->log[0])
            return false;
    }
}
