// The verdicts on who may change a folder, read from its descriptor's text.
#include "base/rights.h"

#include <string_view>

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

// The rights of each way to change a folder, in the order of OpenTo. GENERIC_ALL holds them
// all; GENERIC_WRITE maps to FILE_GENERIC_WRITE, which writes but neither deletes nor changes
// the DACL or the owner.
constexpr unsigned long kGenericAll = 0x10000000;
struct Way {
    OpenTo way;
    unsigned long rights;
};
constexpr Way kWays[] = {
    {OpenTo::kWriting, 0x2 | 0x4 | 0x40000000},  // FILE_ADD_FILE, FILE_ADD_SUBDIRECTORY, GW
    {OpenTo::kDeleting, 0x10000},                // DELETE
    {OpenTo::kPermissions, 0x40000},             // WRITE_DAC
    {OpenTo::kOwnership, 0x80000},               // WRITE_OWNER
    {OpenTo::kEmptying, 0x40},                   // FILE_DELETE_CHILD
};

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

// CREATOR OWNER, CREATOR GROUP and OWNER RIGHTS: no account holds them; in an entry that what is
// made inside inherits they become the creator (the program), on the folder itself they grant the
// owner's rights to the owner, found trusted already.
bool StandsForTheOwner(std::string_view sid)
{
    return sid == "CO" || sid == "CG" || sid == "OW" || sid == "S-1-3-0" || sid == "S-1-3-1" ||
           sid == "S-1-3-4";
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

// The rights that ACE text grants an untrusted account, of those counted: an allow entry (plain,
// object or callback); one only inherited by what is made inside when inheritOnly counts.
unsigned long OthersRights(std::string_view ace, std::string_view runner, bool inheritOnly)
{
    std::string_view type = Field(ace, 0);
    if (type != "A" && type != "OA" && type != "XA" && type != "ZA")
        return 0;
    std::string_view flags = Field(ace, 1);
    for (std::size_t i = 0; i + 1 < flags.size(); i += 2)
        if (Part(flags, i, 2) == "IO" && !inheritOnly)
            return 0;
    std::string_view sid = Field(ace, 5);
    return StandsForTheOwner(sid) || IsTrusted(sid, runner) ? 0 : RightsOf(Field(ace, 2));
}

// The first way (in the order of kWays, from first) that the rights open the folder.
OpenTo WayOf(unsigned long rights, std::size_t first)
{
    for (std::size_t i = first; i < sizeof kWays / sizeof kWays[0]; ++i)
        if (rights & (kWays[i].rights | kGenericAll))
            return kWays[i].way;
    return OpenTo::kNobody;
}

// The verdict: the owner, then the entries that apply, each weighed by the ways from first on.
OpenTo OpenToFrom(const char *sddl, const char *runner, std::size_t first, bool inheritOnly)
{
    std::string_view text = sddl;
    std::size_t owner = text.find("O:");
    std::size_t dacl = text.find("D:");
    OpenTo everything = kWays[first].way;
    if (owner == std::string_view::npos || dacl == std::string_view::npos)
        return everything;
    if (!IsTrusted(SidAt(Part(text, owner + 2)), runner))
        return OpenTo::kOwner;
    std::string_view aces = Part(text, dacl + 2);
    int depth = 0;  // a SACL, if any, follows the DACL's last entry, outside every parenthesis
    for (std::size_t i = 0; i + 1 < aces.size(); ++i) {
        depth += aces[i] == '(' ? 1 : aces[i] == ')' ? -1 : 0;
        if (depth == 0 && aces[i] == 'S' && aces[i + 1] == ':') {
            aces = Part(aces, 0, i);
            break;
        }
    }
    if (Part(aces, 0, aces.find('(')).find("NO_ACCESS_CONTROL") != std::string_view::npos)
        return everything;
    for (std::size_t open = aces.find('('); open != std::string_view::npos;
         open = aces.find('(', open + 1)) {
        std::size_t close = aces.find(')', open);
        if (close == std::string_view::npos)
            return everything;
        OpenTo way = WayOf(OthersRights(Part(aces, open + 1, close - open - 1), runner, inheritOnly),
                           first);
        if (way != OpenTo::kNobody)
            return way;
    }
    return OpenTo::kNobody;
}

}  // namespace

OpenTo FolderOpenTo(const char *sddl, const char *runner)
{
    return OpenToFrom(sddl, runner, 0, true);
}

OpenTo LevelOpenTo(const char *sddl, const char *runner)
{
    return OpenToFrom(sddl, runner, 1, false);
}
