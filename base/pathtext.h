// Bounded path text: the buffers that every path of the setup lives in, and the few operations on
// them. No windows.h here, so the rules also compile natively for tests and fuzzing.
#pragma once
#include <cstddef>

// A path fits when its UTF-16 form fits MAX_PATH (259 units and the terminating zero), however long
// it is in the program's code page: the bound that Windows itself applies. The 8-bit buffers take
// three bytes per unit, enough for any such path (UTF-8 needs three at most, four for a pair).
inline constexpr std::size_t kCchPath = 260;
inline constexpr std::size_t kCbPath = 3 * kCchPath;
// Units of a path that only informs (the setup's own file, which may lie
// deeper than MAX_PATH): what GetModuleFileNameW is asked for.
inline constexpr std::size_t kCchLongPath = 1024;

// Path text is in the program's ANSI code page: UTF-8 (65001) where the system honours the
// programs' manifests, else the system's. In a double-byte code page the second byte of a character
// may be 0x5C, which is no backslash then. SetPathCodePage tells the operations below which code
// page they work in (65001 until told); every program sets it first.
void SetPathCodePage(unsigned codePage);

// The UTF-16 units that text takes, in the program's code page: whole
// characters, a pair for one beyond the Basic Multilingual Plane.
std::size_t PathUnits(const char *text);

// True when byte begins a two-byte character in codePage (the double-byte
// code pages 932, 936, 949 and 950; never in UTF-8 or a single-byte one).
bool IsLeadByte(unsigned codePage, unsigned char byte);

// The first (last) backslash of text that is a character of its own, or
// null; and whether text ends in one.
const char *FindSeparator(const char *text);
const char *FindLastSeparator(const char *text);
inline char *FindSeparator(char *text)
{
    return const_cast<char *>(FindSeparator(static_cast<const char *>(text)));
}
inline char *FindLastSeparator(char *text)
{
    return const_cast<char *>(FindLastSeparator(static_cast<const char *>(text)));
}
bool EndsInSeparator(const char *text);

// Copies src into dst (cbDst bytes). Returns false, leaving dst empty, when
// src with its terminating zero does not fit.
bool CopyText(char *dst, std::size_t cbDst, const char *src);

// Appends src to the text in dst. Returns false, leaving dst unchanged, when
// the result with its terminating zero does not fit.
bool AppendText(char *dst, std::size_t cbDst, const char *src);

// dst = folder, a backslash unless the folder is empty or already ends in one, then name. dst may
// be the same buffer as folder. Returns false, with dst left empty, when the result does not fit
// dst or is no path that fits (kCchPath units): a join never truncates into a different path.
bool JoinPath(char *dst, std::size_t cbDst, const char *folder, const char *name);

// dst = the text of path up to its first backslash, then a backslash
// ("C:\Program Files" gives "C:\"; a path without one gives itself and a
// backslash). Returns false, with dst empty, when that does not fit.
bool PathRoot(char *dst, std::size_t cbDst, const char *path);

// Appends n in decimal, its thousands grouped with commas when grouped is
// set ("1,457"). Returns false, leaving dst unchanged, when it does not fit.
bool AppendDecimal(char *dst, std::size_t cbDst, unsigned long long n, bool grouped);

// n in decimal, ungrouped, as a text that lives as long as the object: for
// messages and log lines put together from parts.
struct DecimalText {
    explicit DecimalText(unsigned long long n)
    {
        text[0] = '\0';
        AppendDecimal(text, sizeof text, n, false);
    }
    char text[24];
};

// dst = folder as the directory calls want it: a bare drive ("C:", as a
// drive root is kept) gets its backslash ("C:\"), since "C:" alone names
// the drive's current directory. False, with dst empty, when it does not fit.
bool DirectoryPath(char *dst, std::size_t cbDst, const char *folder);

