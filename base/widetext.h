// Text the system hands over in UTF-16, as the programs' 8-bit text. Where the system honours the
// programs' manifests, that is UTF-8, in which every character has a form (an unpaired surrogate,
// which an NTFS name may hold, is none and has none). On older systems it is the system's code
// page, and the A functions would hand over a neighbour of a character the code page lacks ("Lodz"
// for "Łódź", "?" for "田"): a path that names another folder than the one meant. So the programs
// take such text in UTF-16 and convert it themselves, never with a neighbour.
#pragma once
#include "base/pathtext.h"
#include "base/sharedcalls.h"

enum class Conversion { kExact, kMarked, kTooLong };

// Converts wide into text (cbText bytes) in the program's code page: kExact; kMarked where a
// character has no form there (it became '?', which no folder name may hold, never a neighbour);
// kTooLong, text empty, where it does not fit (nothing is cut) or, in UTF-8, has a lone surrogate.
Conversion AnsiFromWide(const SharedCalls &calls, const WCHAR *wide, char *text, std::size_t cbText);

// The program's command line into line (cbLine bytes), converted as above: a character the code
// page lacks becomes '?'. Null where it does not fit: never the system's 8-bit form, with its
// neighbours. The programs refuse such a line as one they do not understand.
const char *CommandLineText(const SharedCalls &calls, char *line, std::size_t cbLine);

// The full path of path (a relative one taken from the current folder, "." and ".." resolved, as
// the file calls would take it) into full (kCbPath bytes), asked in UTF-16 and converted exactly.
// False, with full empty, when it cannot be told, does not fit or does not convert exactly.
bool FullPathText(const SharedCalls &calls, const char *path, char *full);

// The running program's own file into path (cbPath bytes), asked in UTF-16 and converted exactly.
// False, with path empty, when it cannot be told, was cut short, or does not convert exactly.
bool ModuleFileText(const SharedCalls &calls, char *path, std::size_t cbPath);

// wide in the program's code page into text (cbText bytes), to be shown or logged: a character the
// code page lacks (or one that does not convert) becomes '?', and the text is cut at a character
// where it does not fit. Never a path to act on.
void NarrowForDisplay(const SharedCalls &calls, const WCHAR *wide, char *text, std::size_t cbText);

// text in UTF-16 into wide (cchWide units), for the screen or a comparison;
// where it does not convert (or is too long), byte by byte as far as it
// fits, which keeps the messages' own text, all ASCII, whole.
void WidenForDisplay(const SharedCalls &calls, const char *text, WCHAR *wide, int cchWide);

// Shows text in a message box captioned caption, both converted from the program's code page to
// UTF-16: the 8-bit box draws in the system's code page, whatever the program's. Texts longer than
// the box's buffers are cut at a character. Returns the answer.
int ShowMessageBox(const SharedCalls &calls, HWND owner, const char *text, const char *caption, UINT type);

// Whether the paths a and b (the program's code page) name the same file or whether path lies in
// folder, compared as the file system compares names: ordinal on UTF-16, ignoring case, whole
// characters (never a byte of a double-byte character taken for a backslash). Text that does not
// convert is compared byte for byte (see WidenForDisplay), so that the same text is always the same
// path. False for an empty folder.
bool IsWithinFolderText(const SharedCalls &calls, const char *path, const char *folder);

bool IsSamePathText(const SharedCalls &calls, const char *a, const char *b);
