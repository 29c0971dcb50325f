// Bounded path text operations. Every one either produces the whole result
// or fails with an empty (or, for AppendText, unchanged) buffer.
#include "base/pathtext.h"

#include <cstring>

// The ANSI code page of the program (65001 where it runs in UTF-8).
static unsigned s_codePage = 65001;

void SetPathCodePage(unsigned codePage)
{
    s_codePage = codePage;
}

std::size_t PathUnits(const char *text)
{
    std::size_t units = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        if (s_codePage == 65001) {
            // A continuation byte adds nothing; a four-byte lead, a pair.
            units += (*p & 0xC0) != 0x80;
            units += *p >= 0xF0;
        } else {
            ++units;
            if (IsLeadByte(s_codePage, *p) && p[1] != '\0')
                ++p;
        }
    }
    return units;
}

bool IsLeadByte(unsigned codePage, unsigned char byte)
{
    switch (codePage) {
    case 932:  // Japanese (Shift-JIS)
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:  // Simplified Chinese (GBK)
    case 949:  // Korean
    case 950:  // Traditional Chinese (Big5)
        return byte >= 0x81 && byte <= 0xFE;
    default:   // single-byte code pages, and UTF-8, whose multi-byte characters hold no ASCII
        return false;
    }
}

// Calls visit with each separator of text in turn, whole characters only;
// stops early when visit returns false.
template <typename Visit> static void ForEachSeparator(const char *text, Visit visit)
{
    for (const char *p = text; *p;) {
        if (IsLeadByte(s_codePage, static_cast<unsigned char>(*p)) && p[1] != '\0') {
            p += 2;
            continue;
        }
        if (*p == '\\' && !visit(p))
            return;
        ++p;
    }
}

const char *FindSeparator(const char *text)
{
    const char *found = nullptr;
    ForEachSeparator(text, [&](const char *p) {
        found = p;
        return false;
    });
    return found;
}

const char *FindLastSeparator(const char *text)
{
    const char *found = nullptr;
    ForEachSeparator(text, [&](const char *p) {
        found = p;
        return true;
    });
    return found;
}

bool EndsInSeparator(const char *text)
{
    const char *last = FindLastSeparator(text);
    return last && last[1] == '\0';
}

bool CopyText(char *dst, std::size_t cbDst, const char *src)
{
    if (cbDst == 0)
        return false;
    std::size_t cch = std::strlen(src);
    if (cch >= cbDst) {
        dst[0] = '\0';
        return false;
    }
    std::memmove(dst, src, cch + 1);
    return true;
}

bool AppendText(char *dst, std::size_t cbDst, const char *src)
{
    std::size_t cchDst = strnlen(dst, cbDst);
    std::size_t cchSrc = std::strlen(src);
    if (cchDst >= cbDst || cchSrc >= cbDst - cchDst)
        return false;
    std::memmove(dst + cchDst, src, cchSrc + 1);
    return true;
}

bool JoinPath(char *dst, std::size_t cbDst, const char *folder, const char *name)
{
    std::size_t cchFolder = std::strlen(folder);
    std::size_t cchName = std::strlen(name);
    bool separator = cchFolder != 0 && !EndsInSeparator(folder);
    std::size_t cchTotal = cchFolder + (separator ? 1 : 0) + cchName;
    if (cbDst == 0)
        return false;
    if (cchTotal >= cbDst ||
        PathUnits(folder) + (separator ? 1 : 0) + PathUnits(name) >= kCchPath) {
        dst[0] = '\0';
        return false;
    }
    // The name may not overlap dst; the folder may be dst itself.
    std::memmove(dst, folder, cchFolder);
    if (separator)
        dst[cchFolder++] = '\\';
    std::memcpy(dst + cchFolder, name, cchName + 1);
    return true;
}

bool PathRoot(char *dst, std::size_t cbDst, const char *path)
{
    const char *slash = FindSeparator(path);
    std::size_t cch = slash ? static_cast<std::size_t>(slash - path) : std::strlen(path);
    if (cbDst == 0)
        return false;
    if (cch + 1 >= cbDst) {
        dst[0] = '\0';
        return false;
    }
    std::memmove(dst, path, cch);
    dst[cch] = '\\';
    dst[cch + 1] = '\0';
    return true;
}

bool AppendDecimal(char *dst, std::size_t cbDst, unsigned long long n, bool grouped)
{
    char digits[32];
    char *p = digits + sizeof digits;
    *--p = '\0';
    int placed = 0;
    do {
        if (grouped && placed != 0 && placed % 3 == 0)
            *--p = ',';
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
        ++placed;
    } while (n != 0);
    return AppendText(dst, cbDst, p);
}

bool DirectoryPath(char *dst, std::size_t cbDst, const char *folder)
{
    bool bareDrive = folder[0] != '\0' && folder[1] == ':' && folder[2] == '\0';
    return bareDrive ? JoinPath(dst, cbDst, folder, "") : CopyText(dst, cbDst, folder);
}
