// End-to-end driver: starts the setup, recognises each of its dialogs and
// message boxes by their controls and captions, acts on them as a person
// would, and checks what the setup left behind. This file holds the steps
// and the entry; driver.h names the other pieces. Runs in the same Wine
// prefix as the setup.
//   driver SCENARIO SETUP.EXE TRANSCRIPT SHOTS_FOLDER PROGRAM_FILES BITS
// A scenario is a text file, one step a line (see tests/e2e/README.md).
// PROGRAM_FILES replaces "%ProgramFiles%" in the steps, and BITS (32 or 64)
// is the setup's: registry steps read the registry view that it writes.
// The first step that does not hold ends the run with exit code 1; the
// transcript says what was seen up to there.
//
// Every step waits on a state, never for a fixed time: the machines that
// run it are shared and busy. A wait polls until its state holds or a
// generous deadline passes.
#include "driver.h"

#include <cctype>
#include <regex>

std::FILE *g_transcript;
PROCESS_INFORMATION g_setup;
HWND g_current;          // the dialog or box the last "expect" found
HWND g_hidden;           // the window a "hide" step took away
std::map<std::string, HANDLE> g_held;  // the files "hold" keeps open
std::string g_shots;
std::string g_setupPath;
std::string g_programFiles;
REGSAM g_registryView;   // KEY_WOW64_32KEY or KEY_WOW64_64KEY, the setup's
int g_dpi = 96;
int g_titleHeight96;     // the backdrop title's height at 96 DPI, once seen

void Note(const char *format, const std::string &a, const std::string &b)
{
    std::fprintf(g_transcript, format, a.c_str(), b.c_str());
    std::fputc('\n', g_transcript);
    std::fflush(g_transcript);
}

[[noreturn]] void Fail(int line, const std::string &what)
{
    Note("FAILED at scenario line %s: %s", std::to_string(line), what);
    Note("   on the screen:%s", ScreenContents());
    std::fclose(g_transcript);
    if (g_setup.hProcess)
        TerminateProcess(g_setup.hProcess, 99);
    std::exit(1);
}

namespace {

// The bytes of the file at path; "" when it cannot be read.
std::string ReadWholeFile(const std::string &path)
{
    std::string bytes;
    if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
        char chunk[65536];
        for (std::size_t cb; (cb = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
            bytes.append(chunk, cb);
        std::fclose(f);
    }
    return bytes;
}

// What a shortcut leads to as Explorer reads it: its ID list's path, and
// its working folder and icon, all in UTF-16. "" where it cannot be read.
std::string ReadShortcut(const std::string &path, std::wstring *target, std::wstring *folder,
                         std::wstring *icon)
{
    IShellLinkW *link = nullptr;
    IPersistFile *file = nullptr;
    PIDLIST_ABSOLUTE items = nullptr;
    WCHAR text[MAX_PATH] = L"";
    int index = 0;
    std::string problem;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void **>(&link))))
        return "no shell link object";
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))) ||
        FAILED(file->Load(Wide(path).c_str(), STGM_READ)))
        problem = "cannot be loaded";
    else if (FAILED(link->GetIDList(&items)) || !items || !SHGetPathFromIDListW(items, text))
        problem = "no ID list with a path";
    else
        *target = text;
    if (problem.empty()) {
        link->GetWorkingDirectory(text, MAX_PATH);
        *folder = text;
        link->GetIconLocation(text, MAX_PATH, &index);
        *icon = text;
    }
    if (items)
        CoTaskMemFree(items);
    if (file)
        file->Release();
    link->Release();
    return problem;
}

bool SplitRegistryPath(const std::string &path, HKEY *root, std::string *subkey)
{
    std::size_t slash = path.find('\\');
    std::string head = path.substr(0, slash);
    *subkey = slash == std::string::npos ? "" : path.substr(slash + 1);
    if (head == "HKCU")
        *root = HKEY_CURRENT_USER;
    else if (head == "HKLM")
        *root = HKEY_LOCAL_MACHINE;
    else
        return false;
    return true;
}

// Reads a REG_SZ value; "@" names the default value. False when missing.
bool ReadRegistry(const std::string &path, const std::string &name, std::string *data, DWORD *type)
{
    HKEY root, key;
    std::string subkey;
    if (!SplitRegistryPath(path, &root, &subkey) ||
        RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ | g_registryView, &key) != ERROR_SUCCESS)
        return false;
    char buffer[4096];
    DWORD cb = sizeof buffer;
    LONG status = RegQueryValueExA(key, name == "@" ? nullptr : name.c_str(), nullptr, type,
                                   reinterpret_cast<BYTE *>(buffer), &cb);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    *data = std::string(buffer, cb);
    return true;
}

bool KeyExists(const std::string &path)
{
    HKEY root, key;
    std::string subkey;
    if (!SplitRegistryPath(path, &root, &subkey) ||
        RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ | g_registryView, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// "field | rest of line": splits off the text before the first " | ".
std::string Field(std::string *rest)
{
    std::size_t bar = rest->find(" | ");
    std::string field = rest->substr(0, bar);
    *rest = bar == std::string::npos ? "" : rest->substr(bar + 3);
    return field;
}

// "word rest of line": splits off the first word.
std::string Word(std::string *rest)
{
    std::size_t start = rest->find_first_not_of(' ');
    if (start == std::string::npos) {
        rest->clear();
        return "";
    }
    std::size_t end = rest->find(' ', start);
    std::string word = rest->substr(start, end == std::string::npos ? std::string::npos : end - start);
    *rest = end == std::string::npos ? "" : rest->substr(end + 1);
    return word;
}

// After a click or a key that should end or cover the current window:
// waits until it has gone or a modal window of its own has disabled it.
void AwaitDismissed(int line, HWND window, const std::string &action)
{
    if (!WaitUntil([&] { return Dismissed(window); }))
        Fail(line, "the window is still there after " + action);
}

// Every step: the verbs it answers to, and what it does (line: the scenario line, for Fail).
#pragma GCC diagnostic ignored "-Wunused-parameter"
struct Step {
    const char *verbs[5];
    void (*run)(int line, const std::string &verb, std::string rest);
};
const Step kSteps[] = {
    {{"expect"}, [](int line, const std::string &verb, std::string rest) {
        std::string kind = Word(&rest);
        if (kind == "error")
            kind += " " + Word(&rest);
        if (kind == "exit") {
            DWORD expected = std::strtoul(rest.c_str(), nullptr, 10);
            if (!WaitUntil([] {
                    return g_windowSeen || WaitForSingleObject(g_setup.hProcess, 0) == WAIT_OBJECT_0;
                }) || g_windowSeen)
                Fail(line, g_windowSeen ? "a window was shown: " + g_seenWindow
                                        : std::string("the program did not end"));
            DWORD code = 0;
            GetExitCodeProcess(g_setup.hProcess, &code);
            Note("== ended with exit code %s", std::to_string(code));
            if (code != expected)
                Fail(line, "exit code " + std::to_string(code));
            return;
        }
        HWND window = nullptr;
        if (!WaitUntil([&] { return (window = FindKind(kind)) != nullptr; }))
            Fail(line, "no " + kind + " appeared");
        // Found means visible; responsive means initialised. A message box
        // sets its text while it initialises, so wait for that too.
        bool box = kind.rfind("error ", 0) == 0 || kind == "box";
        if (!Responsive(window) || (box && !WaitUntil([&] { return !MessageText(window).empty(); })))
            Fail(line, "the " + kind + " did not finish initialising");
        g_current = window;
        Describe(window, kind);
        if (box)
            Note("   message \"%s\"", MessageText(window));
    }},
    {{"gone", "close"}, [](int line, const std::string &verb, std::string rest) {
        std::string kind = Word(&rest);
        if (verb == "close") {
            HWND window = FindKind(kind);
            if (!window)
                Fail(line, "no " + kind + " to close");
            Note("-> closing %s", kind);
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        if (!WaitUntil([&] { return FindKind(kind) == nullptr; }))
            Fail(line, kind + " is still there");
    }},
    {{"text", "textstarts", "enabled", "click", "type"},
     [](int line, const std::string &verb, std::string rest) {
        int id = std::atoi(Word(&rest).c_str());
        HWND control = g_current ? Child(g_current, id) : nullptr;
        if (!control)
            Fail(line, "no control " + std::to_string(id));
        std::string shown = WindowText(control);
        if ((verb == "text" && shown != rest) ||
            (verb == "textstarts" && shown.compare(0, rest.size(), rest) != 0))
            Fail(line, "control " + std::to_string(id) + " shows \"" + shown.substr(0, 200) + "\"");
        if (verb == "enabled" && (IsWindowEnabled(control) != 0) != (rest == "yes"))
            Fail(line, "control " + std::to_string(id) + " enabled state differs");
        if (verb == "type") {
            // Typed as a person types: characters, whatever the code pages.
            std::wstring typed(rest.size() + 1, L'\0');
            typed.resize(MultiByteToWideChar(CP_UTF8, 0, rest.c_str(), -1, &typed[0],
                                             static_cast<int>(typed.size())));
            SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
            Note("-> typed \"%s\" into %s", rest, std::to_string(id));
        }
        if (verb == "click") {
            Note("-> pressed \"%s\"", WindowText(control));
            PostMessageA(control, BM_CLICK, 0, 0);
            AwaitDismissed(line, g_current, "the click");
            g_current = nullptr;
        }
    }},
    {{"message", "messagestarts"}, [](int line, const std::string &verb, std::string rest) {
        std::string shown = g_current ? MessageText(g_current) : "";
        if (verb == "message" ? shown != rest : shown.compare(0, rest.size(), rest) != 0)
            Fail(line, "message is \"" + shown + "\"");
    }},
    {{"title"}, [](int line, const std::string &verb, std::string rest) {
        if (!g_current || WindowText(g_current) != rest)
            Fail(line, "title is \"" + (g_current ? WindowText(g_current) : "") + "\"");
    }},
    {{"key", "press"}, [](int line, const std::string &verb, std::string rest) {
        // key esc|enter|alt+LETTER: pressed where the focus is, as the keyboard sends it; the
        // window must go. press: only pressed, its effect seen by the steps after it (the
        // window handles keys in the order pressed).
        if (!g_current)
            Fail(line, "no window to type into");
        bool alt = rest.size() == 5 && rest.compare(0, 4, "alt+") == 0;
        WPARAM key = rest == "esc" ? VK_ESCAPE : rest == "enter" ? VK_RETURN
                     : alt ? WPARAM(std::toupper(static_cast<unsigned char>(rest[4]))) : 0;
        if (!key)
            Fail(line, "unknown key " + rest);
        HWND focus = FocusOf(g_current);
        Note("-> key %s", rest);
        if (alt) {  // Alt held: a system key, its character a system character
            PostMessageA(focus, WM_SYSKEYDOWN, key, 0x20000001);
            PostMessageA(focus, WM_SYSCHAR, std::tolower(static_cast<int>(key)), 0x20000001);
            PostMessageA(focus, WM_SYSKEYUP, key, 0xE0000001);
        } else {
            PostMessageA(focus, WM_KEYDOWN, key, 1);
            PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        }
        if (verb == "press")
            return;
        AwaitDismissed(line, g_current, "the key");
        g_current = nullptr;
    }},
    {{"focus"}, [](int line, const std::string &verb, std::string rest) {
        // focus ID: the control with the keyboard focus.
        HWND focus = g_current ? FocusOf(g_current) : nullptr;
        if (!focus || GetDlgCtrlID(focus) != std::atoi(rest.c_str()))
            Fail(line, "the focus is on control " + std::to_string(focus ? GetDlgCtrlID(focus) : 0));
    }},
    {{"screenshot"}, [](int line, const std::string &verb, std::string rest) {
        std::string path = g_shots + "\\" + rest + ".bmp";
        if (!SaveScreen(path))
            Fail(line, "cannot save " + path);
        Note("-> screenshot %s", rest);
    }},
    {{"textw"}, [](int line, const std::string &verb, std::string rest) {
        // ID TEXT: the control's text read as UTF-16 (a Unicode window's
        // own text, never through a code page).
        int id = std::atoi(Word(&rest).c_str());
        HWND control = g_current ? Child(g_current, id) : nullptr;
        if (!control)
            Fail(line, "no control " + std::to_string(id));
        std::wstring shown = WindowTextW(control);
        if (shown != Wide(rest))
            Fail(line, "control " + std::to_string(id) + " holds \"" + Utf8(shown.c_str()) + "\"");
    }},
    {{"link"}, [](int line, const std::string &verb, std::string rest) {
        // LINK | TARGET: the shortcut leads to TARGET through its ID list,
        // and names TARGET's folder as its working folder, TARGET as icon.
        std::string path = Field(&rest);
        std::wstring target, folder, icon, expected = Wide(rest);
        std::string problem = ReadShortcut(path, &target, &folder, &icon);
        std::wstring expectedFolder = expected.substr(0, expected.rfind(L'\\'));
        auto same = [](const std::wstring &a, const std::wstring &b) {
            return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
        };
        if (problem.empty() && !same(target, expected))
            problem = "leads to \"" + Utf8(target.c_str()) + "\"";
        if (problem.empty() && !same(folder, expectedFolder))
            problem = "works in \"" + Utf8(folder.c_str()) + "\"";
        if (problem.empty() && !same(icon, expected))
            problem = "shows the icon of \"" + Utf8(icon.c_str()) + "\"";
        if (!problem.empty())
            Fail(line, path + ": " + problem);
    }},
    {{"file", "nofile"}, [](int line, const std::string &verb, std::string rest) {
        // A file may go a moment after the program that removes it ended.
        bool exists = true;
        if (!WaitUntil([&] {
                exists = GetFileAttributesA(rest.c_str()) != INVALID_FILE_ATTRIBUTES;
                return exists == (verb == "file");
            }))
            Fail(line, rest + (exists ? " exists" : " is missing"));
    }},
    {{"installed"}, [](int line, const std::string &verb, std::string rest) {
        // installed all|some FOLDER: every file there is as shipped, byte
        // for byte (payload sources in the rig's payload-src/), no staging
        // file is left, and with "all" the 30 installed files are there
        // (the uninstaller, where it is placed beside them, aside).
        std::string mode = Word(&rest);
        const char *scratch = std::getenv("QLX_SCRATCH");
        std::string sources = std::string("Z:") + (scratch ? scratch : "") + "/payload-src/";
        std::replace(sources.begin(), sources.end(), '/', '\\');
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((rest + "\\*").c_str(), &found);
        int files = 0;
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            std::string name = found.cFileName;
            files += name != "qlxuins1.exe";
            if (ReadWholeFile(rest + "\\" + name) != ReadWholeFile(sources + name) ||
                ReadWholeFile(sources + name).empty())
                Fail(line, name + " is not as shipped");
        }
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        if (mode == "all" && files != 30)
            Fail(line, std::to_string(files) + " files installed, not 30");
        Note("-> %s files, each as shipped", std::to_string(files));
    }},
    {{"fill"}, [](int line, const std::string &verb, std::string rest) {
        // fill PATH KB: a file at PATH takes the drive's free space but KB.
        std::string path = Word(&rest);
        ULONGLONG keep = std::strtoull(rest.c_str(), nullptr, 10) * 1024;
        ULARGE_INTEGER free = {};
        GetDiskFreeSpaceExA(path.substr(0, 3).c_str(), &free, nullptr, nullptr);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            Fail(line, "cannot create " + path);
        static char block[4096];
        DWORD written = 0;
        for (ULONGLONG cb = 0; cb + sizeof block + keep <= free.QuadPart; cb += sizeof block)
            if (!WriteFile(file, block, sizeof block, &written, nullptr))
                break;
        CloseHandle(file);
        GetDiskFreeSpaceExA(path.substr(0, 3).c_str(), &free, nullptr, nullptr);
        Note("-> %s KB left free", std::to_string(free.QuadPart / 1024));
    }},
    {{"lockimage"}, [](int line, const std::string &verb, std::string rest) {
        if (!g_lockedImage.empty())
            Fail(line, "one locked image at a time");
        g_lockedImage = rest;
        CloseHandle(CreateThread(nullptr, 0, LockImages, nullptr, 0, nullptr));
        Note("-> %s is locked while it runs", rest);
    }},
    {{"reboot"}, [](int line, const std::string &verb, std::string rest) {
        // One Wine session is one boot; wineboot's restart carries out what
        // was scheduled for the next start (PendingFileRenameOperations).
        PROCESS_INFORMATION boot = {};
        Spawn("wineboot.exe -r", &boot);
        if (WaitForSingleObject(boot.hProcess, kDeadlineMs) != WAIT_OBJECT_0)
            Fail(line, "wineboot -r did not run");
        CloseHandle(boot.hThread);
        CloseHandle(boot.hProcess);
        Note("-> restarted");
    }},
    {{"delete"}, [](int line, const std::string &verb, std::string rest) {
        if (!DeleteFileA(rest.c_str()))
            Fail(line, "cannot delete " + rest);
    }},
    {{"readonly"}, [](int line, const std::string &verb, std::string rest) {
        DWORD attributes = GetFileAttributesA(rest.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY))
            Fail(line, rest + " is not read-only");
    }},
    {{"reg", "noreg"}, [](int line, const std::string &verb, std::string rest) {
        // KEY | VALUE | DATA: keys and data may hold blanks.
        std::string key = Field(&rest);
        std::string name = Field(&rest);
        std::string data;
        DWORD type = 0;
        bool found = ReadRegistry(key, name, &data, &type);
        if (verb == "noreg") {
            if (name.empty() ? KeyExists(key) : found)
                Fail(line, key + " " + name + " exists");
        } else if (!found || type != REG_SZ || data != rest + '\0') {
            Fail(line, key + " " + name + " is \"" + data + "\"");
        }
    }},
    {{"hide", "show"}, [](int line, const std::string &verb, std::string rest) {
        std::string kind = Word(&rest);
        if (kind == "error")
            kind += " " + Word(&rest);
        HWND window = verb == "hide" ? FindKind(kind) : g_hidden;
        if (!window)
            Fail(line, "nothing to " + verb);
        bool visible = verb == "show";
        ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
        if (!WaitUntil([&] { return (IsWindowVisible(window) != 0) == visible; }))
            Fail(line, "the " + kind + " did not " + verb);
        g_hidden = visible ? nullptr : window;
    }},
    {{"hold"}, [](int line, const std::string &verb, std::string rest) {
        // Stands in for a running copy: Wine does not lock a running
        // program's file, an explicit open does.
        HANDLE file = CreateFileA(rest.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            Fail(line, "cannot hold " + rest);
        g_held[rest] = file;
        Note("-> holding %s open", rest);
    }},
    {{"release"}, [](int line, const std::string &verb, std::string rest) {
        auto held = g_held.find(rest);
        if (held == g_held.end())
            Fail(line, rest + " is not held");
        CloseHandle(held->second);
        g_held.erase(held);
        Note("-> released %s", rest);
    }},
    {{"restart", "run", "uninstall"}, [](int line, const std::string &verb, std::string rest) {
        CloseHandle(g_setup.hThread);
        CloseHandle(g_setup.hProcess);
        if (verb == "restart") {
            StartSetup(rest);
        } else if (verb == "run") {
            StartProgram(rest);
        } else {
            // The uninstaller exactly as the system's list of programs (or,
            // with "quiet", a deployment tool) starts it: every user's entry, else the person's.
            std::string command;
            DWORD type = 0;
            const char *value = rest == "quiet" ? "QuietUninstallString" : "UninstallString";
            const char *entry = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillarix";
            if (!ReadRegistry(std::string("HKLM") + entry, value, &command, &type) &&
                !ReadRegistry(std::string("HKCU") + entry, value, &command, &type))
                Fail(line, std::string("no ") + value);
            command.resize(std::strlen(command.c_str()));
            StartProgram(command);
        }
    }},
    {{"alongside"}, [](int line, const std::string &verb, std::string rest) {
        // alongside CODE ARGS: a second setup while the followed one runs;
        // it must end by itself, with CODE, and show no window.
        DWORD expected = std::strtoul(Word(&rest).c_str(), nullptr, 10);
        PROCESS_INFORMATION second = {};
        std::string command = "\"" + g_setupPath + "\" " + rest;
        Spawn(command, &second);
        g_alongside = second.dwProcessId;
        bool ended = WaitUntil([&] {
            return g_windowSeen || WaitForSingleObject(second.hProcess, 0) == WAIT_OBJECT_0;
        });
        DWORD code = 0;
        GetExitCodeProcess(second.hProcess, &code);
        if (!ended || g_windowSeen)
            TerminateProcess(second.hProcess, 99);
        CloseHandle(second.hThread);
        CloseHandle(second.hProcess);
        if (g_windowSeen)
            Fail(line, "the second setup showed a window: " + g_seenWindow);
        g_alongside = 0;
        Note("== %s ended with exit code %s", command, std::to_string(code));
        if (!ended || code != expected)
            Fail(line, ended ? "exit code " + std::to_string(code) : "it did not end");
    }},
    {{"logline"}, [](int line, const std::string &verb, std::string rest) {
        // logline PATH | TEXT: a line of the file at PATH holds TEXT; the file begins with a
        // byte-order mark, and every line with the local time and its offset from UTC.
        std::string path = Field(&rest);
        std::string log = ReadWholeFile(path);
        if (log.find(rest) == std::string::npos)
            Fail(line, path + " does not say \"" + rest + "\":\n" + log);
        static const std::regex kTimed("(\xEF\xBB\xBF|\r\n)(?!\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:"
                                       "\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d )[^\\r]");
        if (log.rfind("\xEF\xBB\xBF", 0) != 0 || std::regex_search(log, kTimed))
            Fail(line, path + " has a line without its time, or no byte-order mark:\n" + log);
    }},
    {{"noprocess"}, [](int line, const std::string &verb, std::string rest) {
        // noprocess NAME: no process runs from a file of that name (one
        // that is ending is waited for).
        auto runs = [&] {
            bool found = false;
            ForEachProcess([&](const PROCESSENTRY32 &entry) {
                found = found || lstrcmpiA(entry.szExeFile, rest.c_str()) == 0;
            });
            return found;
        };
        if (!WaitUntil([&] { return !runs(); }))
            Fail(line, rest + " runs");
    }},
    {{"copy"}, [](int line, const std::string &verb, std::string rest) {
        std::string from = Word(&rest);
        if (!CopyFileA(from.c_str(), rest.c_str(), FALSE))
            Fail(line, "cannot copy " + from + " to " + rest);
    }},
    {{"write"}, [](int line, const std::string &verb, std::string rest) {  // PATH | TEXT
        // A program whose window has just gone may still be ending, its image still mapped:
        // its file is written once it can be opened.
        std::string path = Field(&rest);
        std::FILE *f = nullptr;
        WaitUntil([&] { return (f = std::fopen(path.c_str(), "wb")) != nullptr; });
        if (!f || std::fputs(rest.c_str(), f) < 0 || std::fclose(f) != 0)
            Fail(line, "cannot write " + path);
    }},
    {{"backdrop", "scaled"}, [](int line, const std::string &verb, std::string rest) {
        auto faultOf = verb == "backdrop" ? BackdropFault : ScaledDialogFault;
        std::string fault;
        if (!WaitUntil([&] { return (fault = faultOf(SettledScreen())).empty(); }))
            Fail(line, fault);
    }},
    {{"opento"}, [](int line, const std::string &verb, std::string rest) {
        // opento PATH: every user may change the folder (Everyone: modify), as
        // "icacls PATH /grant Everyone:(OI)(CI)M" makes it; Wine keeps that as mode 777.
        PSECURITY_DESCRIPTOR open = nullptr;
        bool done = ConvertStringSecurityDescriptorToSecurityDescriptorA(
                        "D:(A;OICI;0x1301bf;;;WD)(A;OICI;FA;;;SY)", SDDL_REVISION_1, &open, nullptr) &&
                    SetFileSecurityA(rest.c_str(), DACL_SECURITY_INFORMATION, open);
        LocalFree(open);
        if (!done)
            Fail(line, "cannot open " + rest + " to every user");
    }},
    // The display's scale, read by programs as they start.
    {{"dpi"}, [](int line, const std::string &verb, std::string rest) {
        DWORD dpi = g_dpi = std::atoi(rest.c_str());
        if (RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD,
                            &dpi, sizeof dpi) ||
            RegSetKeyValueA(HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts",
                            "LogPixels", REG_DWORD, &dpi, sizeof dpi))
            Fail(line, "cannot set LogPixels");
    }},
};

void RunStep(int line, std::string rest)
{
    std::string verb = Word(&rest);
    for (const Step &step : kSteps)
        for (const char *name : step.verbs)
            if (name && verb == name)
                return step.run(line, verb, rest);
    Fail(line, "unknown step " + verb);
}

}  // namespace

int main(int argc, char **argv)
{
    CoInitialize(nullptr);  // the "link" step reads shortcuts through the shell
    if (argc != 7 || (std::strcmp(argv[6], "32") != 0 && std::strcmp(argv[6], "64") != 0)) {
        std::fprintf(stderr, "usage: driver SCENARIO SETUP.EXE TRANSCRIPT SHOTS_FOLDER "
                             "PROGRAM_FILES 32|64\n");
        return 2;
    }
    g_transcript = std::fopen(argv[3], "w");
    std::FILE *scenario = std::fopen(argv[1], "r");
    if (!g_transcript || !scenario) {
        std::fprintf(stderr, "driver: cannot open the scenario or the transcript\n");
        return 2;
    }
    g_shots = argv[4];
    g_programFiles = argv[5];
    g_registryView = std::strcmp(argv[6], "32") == 0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    std::vector<std::string> steps;
    char buffer[2048];
    while (std::fgets(buffer, sizeof buffer, scenario)) {
        buffer[std::strcspn(buffer, "\r\n")] = '\0';
        std::string step = buffer;
        static const std::string kToken = "%ProgramFiles%";
        for (std::size_t at; (at = step.find(kToken)) != std::string::npos;)
            step.replace(at, kToken.size(), g_programFiles);
        // Then the environment's names, such as %TEMP% and %USERPROFILE%.
        char expanded[4096];
        DWORD cch = ExpandEnvironmentStringsA(step.c_str(), expanded, sizeof expanded);
        if (cch != 0 && cch <= sizeof expanded)
            step = expanded;
        steps.push_back(step);
    }
    std::fclose(scenario);

    // "# start: ARGS" gives the first start its arguments; "# quiet" has
    // every window of the followed programs watched for.
    std::string args;
    for (const std::string &step : steps) {
        if (step.rfind("# start: ", 0) == 0)
            args = step.substr(9);
        g_quiet = g_quiet || step == "# quiet";
    }
    g_setupPath = argv[2];
    CloseHandle(CreateThread(nullptr, 0, WatchWindows, nullptr, 0, nullptr));
    StartSetup(args);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        std::string step = steps[i];
        std::size_t start = step.find_first_not_of(' ');
        if (start == std::string::npos || step[start] == '#')
            continue;
        RunStep(static_cast<int>(i + 1), step.substr(start));
        if (g_windowSeen)
            Fail(static_cast<int>(i + 1), "a window was shown: " + g_seenWindow);
    }
    Note("== scenario passed");
    std::fclose(g_transcript);
    return 0;
}
