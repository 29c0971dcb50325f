// The counting and failing layer's shared parts: the counters, the proxies
// that count COM references, the entries not swept, file snapshots.
#include "sweep.h"

namespace sweep {

const char *const kHeldNames[kHeldCount] = {"files",       "registry keys", "LZ files",
                                            "libraries",   "item lists",    "GDI objects, DCs and icons",
                                            "heap blocks", "system texts",  "COM interfaces",
                                            "file searches"};
int g_held[kHeldCount];
std::string g_trace;
int g_objectsCreated;

std::string HeldNow()
{
    std::string held;
    for (int h = 0; h < kHeldCount; ++h)
        if (g_held[h] != 0)
            held += " " + std::to_string(g_held[h]) + " " + kHeldNames[h] + " held;";
    return held;
}

void ResetCounts()
{
    std::memset(g_held, 0, sizeof g_held);
    g_trace.clear();
    g_objectsCreated = 0;
}

// COM interfaces come from CoCreateInstance, which the setup looks up by
// name: the sweep hands it a counting CoCreateInstance whose objects are
// wrapped in proxies that count each reference taken and released.
// Counts the references taken and given back on the wrapped object.
template <typename Interface> class CountingProxy : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { ++g_held[kInterfaces]; return inner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        --g_held[kInterfaces];
        ULONG left = inner_->Release();
        if (left == 0)
            delete this;
        return left;
    }

protected:
    explicit CountingProxy(Interface *inner) : inner_(inner) {}
    virtual ~CountingProxy() = default;
    Interface *inner_;
};

class PersistFileProxy final : public CountingProxy<IPersistFile> {
public:
    explicit PersistFileProxy(IPersistFile *inner) : CountingProxy(inner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        return inner_->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *c) override { return inner_->GetClassID(c); }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return inner_->IsDirty(); }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR f, DWORD m) override { return inner_->Load(f, m); }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR f, BOOL r) override { return inner_->Save(f, r); }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR f) override { return inner_->SaveCompleted(f); }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR *f) override { return inner_->GetCurFile(f); }
};

class PersistStreamProxy final : public CountingProxy<IPersistStream> {
public:
    explicit PersistStreamProxy(IPersistStream *inner) : CountingProxy(inner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        return inner_->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *c) override { return inner_->GetClassID(c); }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return inner_->IsDirty(); }
    HRESULT STDMETHODCALLTYPE Load(IStream *s) override { return inner_->Load(s); }
    HRESULT STDMETHODCALLTYPE Save(IStream *s, BOOL c) override { return inner_->Save(s, c); }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER *cb) override { return inner_->GetSizeMax(cb); }
};

const char *g_refusedLinkCall = "";

static HRESULT Refusing(const char *call, HRESULT hr)
{
    return std::strcmp(call, g_refusedLinkCall) ? hr : E_FAIL;
}

class ShellLinkProxy final : public CountingProxy<IShellLinkW> {
public:
    explicit ShellLinkProxy(IShellLinkW *inner) : CountingProxy(inner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        HRESULT hr = inner_->QueryInterface(iid, out);
        if (SUCCEEDED(hr)) {
            ++g_held[kInterfaces];
            if (IsEqualIID(iid, IID_IPersistFile))
                *out = static_cast<IPersistFile *>(new PersistFileProxy(static_cast<IPersistFile *>(*out)));
            else if (IsEqualIID(iid, IID_IPersistStream))
                *out = static_cast<IPersistStream *>(new PersistStreamProxy(static_cast<IPersistStream *>(*out)));
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR p, int c, WIN32_FIND_DATAW *d, DWORD f) override { return inner_->GetPath(p, c, d, f); }
    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE *l) override
    {
        HRESULT hr = inner_->GetIDList(l);
        g_held[kItemLists] += SUCCEEDED(hr) && *l;  // the caller frees it with ILFree
        return hr;
    }
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE l) override { return inner_->SetIDList(l); }
    HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR d, int c) override { return inner_->GetDescription(d, c); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR d) override { return Refusing("SetDescription", inner_->SetDescription(d)); }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR d, int c) override { return inner_->GetWorkingDirectory(d, c); }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR d) override { return Refusing("SetWorkingDirectory", inner_->SetWorkingDirectory(d)); }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR a, int c) override { return inner_->GetArguments(a, c); }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR a) override { return inner_->SetArguments(a); }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD *h) override { return inner_->GetHotkey(h); }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD h) override { return inner_->SetHotkey(h); }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int *s) override { return inner_->GetShowCmd(s); }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int s) override { return inner_->SetShowCmd(s); }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR p, int c, int *i) override { return inner_->GetIconLocation(p, c, i); }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR p, int i) override { return Refusing("SetIconLocation", inner_->SetIconLocation(p, i)); }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCWSTR p, DWORD r) override { return inner_->SetRelativePath(p, r); }
    HRESULT STDMETHODCALLTYPE Resolve(HWND w, DWORD f) override { return inner_->Resolve(w, f); }
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR p) override { return Refusing("SetPath", inner_->SetPath(p)); }
};

using CoCreateInstanceFn = HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);
static CoCreateInstanceFn g_realCoCreateInstance;

HRESULT WINAPI CountingCoCreateInstance(REFCLSID cls, LPUNKNOWN outer, DWORD context, REFIID iid,
                                        LPVOID *out)
{
    HRESULT hr = (g_realCoCreateInstance ? g_realCoCreateInstance : &CoCreateInstance)(cls, outer, context, iid, out);
    if (SUCCEEDED(hr)) {
        ++g_held[kInterfaces];
        ++g_objectsCreated;
        if (IsEqualIID(iid, IID_IShellLinkW))
            *out = static_cast<IShellLinkW *>(new ShellLinkProxy(static_cast<IShellLinkW *>(*out)));
    }
    return hr;
}

FARPROC WINAPI CountingGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = GetProcAddress(module, name);
    if (found && HIWORD(reinterpret_cast<ULONG_PTR>(name)) && std::strcmp(name, "CoCreateInstance") == 0) {
        g_realCoCreateInstance = reinterpret_cast<CoCreateInstanceFn>(reinterpret_cast<void (*)()>(found));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&CountingCoCreateInstance));
    }
    return found;
}

bool IsFileCall(const char *entry)
{
    for (const char *name : kFileCalls)
        if (std::strcmp(entry, name) == 0)
            return true;
    return false;
}

bool Sweepable(const char *entry)
{
    for (const char *never : kNeverFail)
        if (std::strcmp(entry, never) == 0)
            return false;
    return true;
}

void SnapshotFolder(const std::string &folder, bool recurse, Snapshot *out)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*out)[path + "\\"] = {0, {}};
            if (recurse)
                SnapshotFolder(path, true, out);
        } else {
            (*out)[path] = {(ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                            found.ftLastWriteTime};
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

}  // namespace sweep
