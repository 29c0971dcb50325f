// The dialog templates, the icon group and the version resources, read back
// from the built setup executables (both architectures) and compared field
// by field; the uninstaller's version resource as the setup carries it.
#include "winhelpers.h"

#include <cstring>

namespace {

struct Control {
    unsigned id;
    const char *cls;
    DWORD style;
    short x, y, cx, cy;
    const char *text;  // "#103" for an ordinal (the icon)
};

struct Template {
    unsigned id;
    bool extended;  // DLGTEMPLATEEX
    DWORD style;
    short cx, cy;
    WORD points;
    const char *font;
    std::vector<Control> controls;
};

const Template kTemplates[] = {
    {101, true, 0x800008C8, 262, 90, 8, "MS Shell Dlg 2",
     {{1, "BUTTON", 0x50010001, 137, 69, 51, 14, "Install"},
      {2, "BUTTON", 0x50010000, 62, 69, 51, 14, "Cancel"},
      {65535, "STATIC", 0x50000803, 13, 16, 20, 20, "#103"},
      {65535, "STATIC", 0x50020000, 39, 15, 180, 20,
       "This program will install Quillarix to your computer at the location shown below."},
      {1000, "EDIT", 0x50810880, 40, 42, 171, 12, ""},
      {1002, "BUTTON", 0x50010000, 216, 41, 39, 14, "Change..."}}},
    {102, true, 0x800008C8, 266, 101, 8, "MS Shell Dlg 2",
     {{1, "BUTTON", 0x50010001, 208, 80, 50, 14, "OK"},
      {2, "BUTTON", 0x50010000, 156, 80, 50, 14, "Cancel"},
      {65535, "STATIC", 0x50000803, 14, 15, 20, 20, "#103"},
      {65535, "STATIC", 0x50020000, 45, 7, 171, 36,
       "Enter the name of the folder where you wish to install Quillarix.  If the folder "
       "does not exist it will be created if possible."},
      {1000, "EDIT", 0x50810080, 43, 49, 172, 12, ""},
      {1001, "BUTTON", 0x50010000, 43, 65, 35, 14, "Browse..."}}},
    {103, true, 0x900008C8, 160, 43, 8, "MS Shell Dlg 2",
     {{65535, "STATIC", 0x50020001, 10, 17, 140, 8, "A moment please..."},
      {65535, "BUTTON", 0x50000007, 7, 5, 146, 29, ""}}},
    {158, false, 0x800008C0, 284, 186, 10, "Courier",
     {{1, "BUTTON", 0x50010001, 50, 167, 50, 14, "Accept"},
      {2, "BUTTON", 0x50010000, 165, 167, 50, 14, "Decline"},
      {1000, "EDIT", 0x50A10004, 7, 9, 270, 152, ""}}},
};

// Reads a template field by field.
class Reader {
public:
    Reader(const BYTE *p, const BYTE *end) : p_(p), end_(end) {}
    bool Ok() const { return p_ <= end_; }
    WORD Word()
    {
        WORD v = 0;
        if (p_ + 2 <= end_)
            std::memcpy(&v, p_, 2);
        p_ += 2;
        return v;
    }
    DWORD Dword()
    {
        DWORD lo = Word();
        return lo | (DWORD(Word()) << 16);
    }
    // A name or ordinal: "#N" for an ordinal; atoms of the predefined classes by name.
    std::string Name(bool isClass = false)
    {
        WORD first = Word();
        if (first == 0xFFFF) {
            WORD ordinal = Word();
            if (isClass) {
                switch (ordinal) {
                case 0x80: return "BUTTON";
                case 0x81: return "EDIT";
                case 0x82: return "STATIC";
                }
            }
            return "#" + std::to_string(ordinal);
        }
        std::string text;
        for (WORD c = first; c != 0 && Ok(); c = Word())
            text += static_cast<char>(c);
        if (isClass)
            for (char &ch : text)
                ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
        return text;
    }
    void AlignDword(const BYTE *base)
    {
        while ((p_ - base) % 4)
            ++p_;
    }

private:
    const BYTE *p_;
    const BYTE *end_;
};

std::string StagedSetup(const char *arch)
{
    return RigPath(std::string("setups/") + arch + "/QuillarixSetup.exe");
}

class Templates : public ::testing::TestWithParam<const char *> {};

TEST_P(Templates, MatchTheirTablesFieldByField)
{
    std::string exe = StagedSetup(GetParam());
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << exe << " error " << GetLastError();
    for (const Template &t : kTemplates) {
        SCOPED_TRACE("template " + std::to_string(t.id));
        HRSRC found = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_DIALOG),
                                      MAKEINTRESOURCEA(t.id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        ASSERT_NE(nullptr, found);
        const BYTE *base = static_cast<const BYTE *>(LockResource(LoadResource(module, found)));
        Reader r(base, base + SizeofResource(module, found));
        if (t.extended) {
            EXPECT_EQ(1, r.Word());       // version
            EXPECT_EQ(0xFFFF, r.Word());  // signature
            EXPECT_EQ(0u, r.Dword());     // help id
            EXPECT_EQ(0u, r.Dword());     // extended style
            EXPECT_EQ(t.style, r.Dword());
        } else {
            EXPECT_EQ(t.style, r.Dword());
            EXPECT_EQ(0u, r.Dword());  // extended style; also rules out DLGTEMPLATEEX
        }
        WORD count = r.Word();
        EXPECT_EQ(t.controls.size(), count);
        EXPECT_EQ(0, short(r.Word()));
        EXPECT_EQ(0, short(r.Word()));
        EXPECT_EQ(t.cx, short(r.Word()));
        EXPECT_EQ(t.cy, short(r.Word()));
        EXPECT_EQ("", r.Name());  // no menu
        EXPECT_EQ("", r.Name());  // no class of its own
        EXPECT_EQ("", r.Name());  // empty title
        EXPECT_EQ(t.points, r.Word());
        if (t.extended) {
            EXPECT_EQ(0, r.Word());       // weight
            EXPECT_EQ(0x0100, r.Word());  // not italic; DEFAULT_CHARSET
        }
        EXPECT_EQ(t.font, r.Name());
        for (std::size_t i = 0; i < count && i < t.controls.size(); ++i) {
            const Control &c = t.controls[i];
            SCOPED_TRACE("control " + std::to_string(i));
            r.AlignDword(base);
            if (t.extended) {
                EXPECT_EQ(0u, r.Dword());  // help id
            }
            DWORD style = t.extended ? 0 : r.Dword();
            EXPECT_EQ(0u, r.Dword());  // extended style
            if (t.extended)
                style = r.Dword();
            EXPECT_EQ(c.style, style);
            EXPECT_EQ(c.x, short(r.Word()));
            EXPECT_EQ(c.y, short(r.Word()));
            EXPECT_EQ(c.cx, short(r.Word()));
            EXPECT_EQ(c.cy, short(r.Word()));
            EXPECT_EQ(c.id, t.extended ? r.Dword() & 0xFFFF : r.Word());
            EXPECT_EQ(c.cls, r.Name(true));
            EXPECT_EQ(c.text, r.Name());
            EXPECT_EQ(0, r.Word());  // no creation data
        }
        EXPECT_TRUE(r.Ok());
    }
    FreeLibrary(module);
}

TEST_P(Templates, IconGroupHoldsSixteenColourImagesFor100To200PerCent)
{
    std::string exe = StagedSetup(GetParam());
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    HRSRC found = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_GROUP_ICON),
                                  MAKEINTRESOURCEA(103), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(nullptr, found);
    const BYTE *dir = static_cast<const BYTE *>(LockResource(LoadResource(module, found)));
    ASSERT_EQ(7, dir[4] | (dir[5] << 8));
    std::vector<int> sizes;
    for (int i = 0; i < 7; ++i) {
        const BYTE *entry = dir + 6 + 14 * i;
        EXPECT_EQ(entry[0], entry[1]);        // square
        EXPECT_EQ(16, entry[2]);              // colours
        EXPECT_EQ(4, entry[6] | (entry[7] << 8));  // bits per pixel
        sizes.push_back(entry[0]);
    }
    // 32 first: the dialogs' icon controls show the first image at 100%.
    EXPECT_EQ((std::vector<int>{32, 16, 20, 24, 40, 48, 64}), sizes);
    FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(BuiltSetups, Templates, ::testing::Values("win32", "win64"));

// One text of a file's version resource (US English, Unicode), "" if none.
std::string VersionText(const std::vector<char> &block, const char *name)
{
    char *text = nullptr;
    UINT cch = 0;
    std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void **>(&text), &cch) || !text)
        return "";
    return std::string(text);
}

// The uninstaller as the setup carries it (payload 119, SZDD), expanded by
// the system's LZ expansion into path.
bool ExpandCarriedUninstaller(const std::string &setup, const std::string &path)
{
    HMODULE module = LoadLibraryExA(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return false;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(119), "FILE");
    bool written = found && WriteFileBytes(path + ".szdd",
                                           std::string(static_cast<const char *>(LockResource(
                                                           LoadResource(module, found))),
                                                       SizeofResource(module, found)));
    FreeLibrary(module);
    OFSTRUCT source, destination;
    INT from = written ? LZOpenFileA(const_cast<char *>((path + ".szdd").c_str()), &source, OF_READ) : -1;
    INT to = from >= 0 ? LZOpenFileA(const_cast<char *>(path.c_str()), &destination, OF_CREATE) : -1;
    bool expanded = to >= 0 && LZCopy(from, to) > 0;
    if (from >= 0)
        LZClose(from);
    if (to >= 0)
        LZClose(to);
    DeleteFileA((path + ".szdd").c_str());
    return expanded;
}

class VersionResources : public ::testing::TestWithParam<const char *> {};

TEST_P(VersionResources, SetupAndUninstallerSayWhatTheyAre)
{
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    std::string uninstaller = std::string(temp) + "qlx-carried-uninstaller.exe";
    ASSERT_TRUE(ExpandCarriedUninstaller(StagedSetup(GetParam()), uninstaller));
    struct Program {
        std::string path;
        const char *description;
        const char *originalName;
    } programs[] = {{StagedSetup(GetParam()), "Quillarix Setup", "QuillarixSetup.exe"},
                    {uninstaller, "Quillarix Uninstaller", "qlxuins1.exe"}};
    for (const Program &p : programs) {
        SCOPED_TRACE(p.path);
        DWORD handle = 0;
        DWORD cb = GetFileVersionInfoSizeA(p.path.c_str(), &handle);
        ASSERT_GT(cb, 0u);
        std::vector<char> block(cb);
        ASSERT_TRUE(GetFileVersionInfoA(p.path.c_str(), 0, cb, block.data()));
        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT cbFixed = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &cbFixed));
        EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
        EXPECT_EQ(0u, fixed->dwFileVersionLS);
        EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
        EXPECT_EQ(0u, fixed->dwProductVersionLS);
        EXPECT_EQ("Orvanta", VersionText(block, "CompanyName"));
        EXPECT_EQ("Quillarix", VersionText(block, "ProductName"));
        EXPECT_EQ(p.description, VersionText(block, "FileDescription"));
        EXPECT_EQ("1.0.0.0", VersionText(block, "FileVersion"));
        EXPECT_EQ("1.0.0.0", VersionText(block, "ProductVersion"));
        EXPECT_EQ(p.originalName, VersionText(block, "OriginalFilename"));
        EXPECT_EQ("Copyright (c) Orvanta Software. All rights reserved.",
                  VersionText(block, "LegalCopyright"));
    }
    DeleteFileA(uninstaller.c_str());
}

INSTANTIATE_TEST_SUITE_P(BuiltSetups, VersionResources, ::testing::Values("win32", "win64"));

}  // namespace
