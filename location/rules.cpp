// Drive form, trailing backslashes, the folder length limit, and the
// verdict on who may change a folder, read from its descriptor's text.
#include "location/rules.h"

#include "base/pathtext.h"
#include "base/product.h"

#include <cstring>
#include <string_view>

bool HasDriveForm(const char *folder)
{
    char c = folder[0];
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return letter && folder[1] == ':' && folder[2] == '\\';
}

bool HasWildcard(const char *folder)
{
    // Neither byte is ever the second of a double-byte character.
    return std::strpbrk(folder, "?*") != nullptr;
}

void TrimTrailingBackslashes(char *folder)
{
    while (EndsInSeparator(folder))
        *FindLastSeparator(folder) = '\0';
}

bool FolderLengthFits(std::size_t cchFolder)
{
    return cchFolder + (sizeof kMainExeName - 1) + kFolderLengthAllowance <= kCchPath;
}

namespace {

// Part of text from at, at most cch characters long. std::string_view's own
// substr reports a start beyond the end with an exception, whose machinery
// would be most of the setup's size; this never throws.
std::string_view Part(std::string_view text, std::size_t at, std::size_t cch = std::string_view::npos)
{
    if (at > text.size())
        at = text.size();
    std::size_t left = text.size() - at;
    return std::string_view(text.data() + at, cch < left ? cch : left);
}

// The rights that change a folder or what is in it: FILE_WRITE_DATA
// (add file), FILE_APPEND_DATA (add subfolder), FILE_DELETE_CHILD, DELETE,
// WRITE_DAC, WRITE_OWNER, GENERIC_ALL and GENERIC_WRITE.
constexpr unsigned long kChangingRights =
    0x2 | 0x4 | 0x40 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;

// The rights an SDDL rights text names: a number ("0x1301bf") or two-letter codes one after another
// ("FA", "CCDCLCSWRPWPDTLOCRSDRCWDWO"). A code this table lacks counts as every right.
unsigned long RightsOf(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        unsigned long mask = 0;
        for (char c : Part(text, 2)) {
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0)
                return ~0ul;
            mask = mask << 4 | static_cast<unsigned long>(digit);
        }
        return mask;
    }
    static constexpr struct {
        char code[3];
        unsigned long mask;
    } kCodes[] = {
        {"GA", 0x10000000}, {"GR", 0x80000000}, {"GW", 0x40000000}, {"GX", 0x20000000},
        {"RC", 0x20000},    {"SD", 0x10000},    {"WD", 0x40000},    {"WO", 0x80000},
        {"CC", 0x1},        {"DC", 0x2},        {"LC", 0x4},        {"SW", 0x8},
        {"RP", 0x10},       {"WP", 0x20},       {"DT", 0x40},       {"LO", 0x80},
        {"CR", 0x100},      {"FA", 0x1f01ff},   {"FR", 0x120089},   {"FW", 0x120116},
        {"FX", 0x1200a0},   {"KA", 0xf003f},    {"KR", 0x20019},    {"KW", 0x20006},
        {"KX", 0x20019},
    };
    unsigned long mask = 0;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::string_view code = Part(text, i, 2);
        unsigned long found = ~0ul;
        for (const auto &known : kCodes)
            if (code == known.code)
                found = known.mask;
        mask |= found;
    }
    return mask;
}

// Administrators, SYSTEM, TrustedInstaller and the runner; "LA", the
// machine's own Administrator account, where that is the runner.
bool IsTrusted(std::string_view sid, std::string_view runner)
{
    constexpr std::string_view kTrustedInstaller =
        "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    std::size_t cch = runner.size();
    bool runnerIsAdministrator = cch > 4 && Part(runner, cch - 4) == "-500";
    return sid == "BA" || sid == "SY" || sid == "S-1-5-32-544" || sid == "S-1-5-18" ||
           sid == kTrustedInstaller || sid == runner || (sid == "LA" && runnerIsAdministrator);
}

// The SID that begins text: an alias of two letters or "S-1-...".
std::string_view SidAt(std::string_view text)
{
    if (Part(text, 0, 2) != "S-")
        return Part(text, 0, 2);
    std::size_t end = 2;
    while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '-'))
        ++end;
    return Part(text, 0, end);
}

// Field number n (from 0) of an ACE's text "type;flags;rights;guid;guid;sid".
std::string_view Field(std::string_view ace, int n)
{
    for (; n > 0; --n) {
        std::size_t semicolon = ace.find(';');
        if (semicolon == std::string_view::npos)
            return {};
        ace.remove_prefix(semicolon + 1);
    }
    return Part(ace, 0, ace.find(';'));
}

// Whether ACE text lets an untrusted account change the folder: an allow
// entry (plain, object or callback) that applies to the folder itself. The
// owner's rights ("OW") go to the owner, already found trusted.
bool AceOpensFolder(std::string_view ace, std::string_view runner)
{
    std::string_view type = Field(ace, 0);
    bool allows = type == "A" || type == "OA" || type == "XA" || type == "ZA";
    std::string_view flags = Field(ace, 1);
    for (std::size_t i = 0; i + 1 < flags.size(); i += 2)
        if (Part(flags, i, 2) == "IO")
            return false;
    std::string_view sid = Field(ace, 5);
    return allows && (RightsOf(Field(ace, 2)) & kChangingRights) && sid != "OW" &&
           !IsTrusted(sid, runner);
}

}  // namespace

bool OthersCanChangeFolder(const char *sddl, const char *runner)
{
    std::string_view text = sddl;
    std::size_t owner = text.find("O:");
    std::size_t dacl = text.find("D:");
    if (owner == std::string_view::npos || dacl == std::string_view::npos ||
        !IsTrusted(SidAt(Part(text, owner + 2)), runner))
        return true;
    std::string_view aces = Part(text, dacl + 2);
    aces = Part(aces, 0, aces.find("S:"));  // the SACL, if any, follows
    if (Part(aces, 0, aces.find('(')).find("NO_ACCESS_CONTROL") != std::string_view::npos)
        return true;
    for (std::size_t open = aces.find('('); open != std::string_view::npos;
         open = aces.find('(', open + 1)) {
        std::size_t close = aces.find(')', open);
        if (close == std::string_view::npos)
            return true;
        if (AceOpensFolder(Part(aces, open + 1, close - open - 1), runner))
            return true;
    }
    return false;
}
