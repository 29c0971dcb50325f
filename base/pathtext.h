// Bounded path text: the 260-byte buffers that every path of the setup lives
// in, and the few operations on them. No windows.h here, so the rules also
// compile natively for tests and fuzzing.
#pragma once
#include <cstddef>

inline constexpr std::size_t kCbPath = 260;

// Copies src into dst (cbDst bytes). Returns false, leaving dst empty, when
// src with its terminating zero does not fit.
bool CopyText(char *dst, std::size_t cbDst, const char *src);

// Appends src to the text in dst. Returns false, leaving dst unchanged, when
// the result with its terminating zero does not fit.
bool AppendText(char *dst, std::size_t cbDst, const char *src);

// dst = folder, a backslash unless the folder is empty or already ends in
// one, then name. dst may be the same buffer as folder. Returns false, with
// dst left empty, when the result does not fit: a join never truncates into
// a different path.
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

// True when path is folder or lies below it, compared as file systems do
// (ASCII letters in either case; a trailing backslash of folder ignored).
// False for an empty folder.
bool IsWithinFolder(const char *path, const char *folder);
