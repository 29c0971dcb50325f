// Fuzzes the path text operations, the location rules and the reading of descriptor text: the
// input is split into a folder and a name; results must stay within their buffers and keep their
// promises.
#include "location/rules.h"
#include "base/pathtext.h"
#include "base/rights.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string input(reinterpret_cast<const char *>(data), size);
    input.erase(std::remove(input.begin(), input.end(), '\0'), input.end());
    std::size_t split = input.find('|');
    std::string folder = input.substr(0, split);
    std::string name = split == std::string::npos ? "" : input.substr(split + 1);

    char out[kCbPath];
    if (JoinPath(out, sizeof out, folder.c_str(), name.c_str())) {
        std::size_t cch = std::strlen(out);
        if (cch >= kCbPath || std::strncmp(out, folder.c_str(), folder.size()) != 0 ||
            std::strcmp(out + cch - name.size(), name.c_str()) != 0)
            std::abort();
    } else if (out[0] != '\0') {
        std::abort();
    }
    if (PathRoot(out, sizeof out, folder.c_str())) {
        std::size_t cch = std::strlen(out);
        if (cch == 0 || out[cch - 1] != '\\' || std::strchr(out, '\\') != out + cch - 1)
            std::abort();
    }
    char trimmed[4096];
    if (folder.size() < sizeof trimmed) {
        std::memcpy(trimmed, folder.c_str(), folder.size() + 1);
        TrimTrailingBackslashes(trimmed);
        std::size_t cch = std::strlen(trimmed);
        if ((cch > 0 && trimmed[cch - 1] == '\\') || folder.compare(0, cch, trimmed) != 0)
            std::abort();
        (void)FolderLengthFits(cch);
        (void)HasDriveForm(trimmed);
    }
    // A folder open to others is open as a level too, or at least by what only levels ignore.
    if (FolderOpenTo(input.c_str(), name.c_str()) == OpenTo::kNobody &&
        LevelOpenTo(input.c_str(), name.c_str()) != OpenTo::kNobody)
        std::abort();
    return 0;
}
