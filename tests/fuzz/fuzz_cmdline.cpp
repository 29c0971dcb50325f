// Fuzzes the command-line parser: whatever the line, the log path stays
// within its buffer without quotes, the rest of the line follows the switch
// that takes it (or is the text inside its quotes), and a line that parses says the same again when written
// back in the programs' own form.
#include "base/cmdline.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string line(reinterpret_cast<const char *>(data), size);
    line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
    for (const char *restSwitch : {kSwitchFolder, static_cast<const char *>(nullptr)}) {
        CommandLine parsed;
        bool ok = ParseCommandLine(line.c_str(), restSwitch, &parsed);
        if (std::strlen(parsed.log) >= kCbPath || std::strchr(parsed.log, '"'))
            std::abort();
        bool inQuotes = parsed.rest == parsed.quotedRest;
        if (parsed.rest && (!restSwitch || (!inQuotes && (parsed.rest < line.c_str() + std::strlen(restSwitch) ||
                                                          parsed.rest > line.c_str() + line.size()))))
            std::abort();
        if (inQuotes && std::strchr(parsed.quotedRest, '"'))
            std::abort();
        if (!ok)
            continue;
        std::string again = "\"setup.exe\"";
        if (parsed.mode.talk == Talk::kLog)
            again += " /s";
        if (parsed.help)
            again += " /?";
        if (parsed.mode.closeApplications)
            again += " /closeapplications";
        if (parsed.log[0])
            again += " \"/LOG=" + std::string(parsed.log) + "\"";
        if (parsed.rest)
            again += std::string(" /d=") + parsed.rest;
        CommandLine second;
        if (!ParseCommandLine(again.c_str(), restSwitch, &second) ||
            second.mode.talk != parsed.mode.talk || second.help != parsed.help ||
            second.mode.closeApplications != parsed.mode.closeApplications ||
            std::strcmp(second.log, parsed.log) != 0 || !second.rest != !parsed.rest ||
            (parsed.rest && std::strcmp(second.rest, parsed.rest) != 0))
            std::abort();
    }
    return 0;
}
