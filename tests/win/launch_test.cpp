// Starting Quillarix at the end: through the desktop's shell where one
// answers, else by the setup itself, once, with every COM object, string
// and library given back.
#include "winhelpers.h"

#include "install/plan.h"
#include "setup/launch.h"

#include <exdisp.h>

namespace {

// Where the fake shell stops answering.
enum Stop { kNoClass, kNoDesktop, kNoServiceProvider, kNoAnswer };

class Launch : public WineTest {
public:
    void SetUp() override
    {
        WineTest::SetUp();
        PlanInScratch("mark.bat");
    }
    Stop stop_ = kNoClass;
    volatile LONG alive_ = 0;      // references handed out and not yet released
    volatile LONG libraries_ = 0;  // libraries loaded and not yet freed
    HANDLE answer_ = nullptr;      // set to let a shell that does not answer go on
    volatile LONG asked_ = 0;      // the shell windows object was asked for
};

template <typename Base> struct Counted : Base {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override
    {
        *out = nullptr;
        if (riid != __uuidof(IUnknown) && riid != __uuidof(IDispatch) && riid != __uuidof(Base))
            return E_NOINTERFACE;
        AddRef();
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return InterlockedIncrement(&WineTest::Running<Launch>().alive_);
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        return InterlockedDecrement(&WineTest::Running<Launch>().alive_);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *,
                                     EXCEPINFO *, UINT *) override
    {
        return E_NOTIMPL;
    }
};

// The desktop's automation object, without the service provider that
// leads on to the shell's browser.
Counted<IDispatch> s_desktop;

struct FakeShellWindows : Counted<IShellWindows> {
    HRESULT STDMETHODCALLTYPE get_Count(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Item(VARIANT, IDispatch **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Register(IDispatch *, LONG, int, LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterPending(LONG, VARIANT *, VARIANT *, int, LONG *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Revoke(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnNavigate(LONG, VARIANT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnActivated(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT *, VARIANT *, int, LONG *, int,
                                           IDispatch **out) override
    {
        *out = nullptr;
        if (WineTest::Running<Launch>().stop_ == kNoDesktop)
            return S_FALSE;
        s_desktop.AddRef();
        *out = &s_desktop;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnCreated(LONG, IUnknown *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ProcessAttachDetach(VARIANT_BOOL) override { return E_NOTIMPL; }
} s_shellWindows;

HRESULT WINAPI FakeCoCreateInstance(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *out)
{
    *out = nullptr;
    Launch &test = WineTest::Running<Launch>();
    InterlockedIncrement(&test.asked_);
    if (test.stop_ == kNoAnswer)
        WaitForSingleObject(test.answer_, INFINITE);
    if (test.stop_ == kNoClass || test.stop_ == kNoAnswer)
        return REGDB_E_CLASSNOTREG;
    s_shellWindows.AddRef();
    *out = static_cast<IShellWindows *>(&s_shellWindows);
    return S_OK;
}

// Never with the setup's own rights: where the shell does not start it,
// nothing does (the setup imports no call that starts a program; the
// static import check holds it to that), and the person is told so.
TEST_F(Launch, WhereTheShellDoesNotStartItNothingDoesAndEverythingIsGivenBack)
{
    Fake(sys.GetProcAddress, [](HMODULE module, LPCSTR name) -> FARPROC {
        if (std::string(name) == "CoCreateInstance")
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&FakeCoCreateInstance));
        return GetProcAddress(module, name);
    });
    Fake(sys.LoadLibraryA, [](LPCSTR path) -> HMODULE {
        HMODULE module = LoadLibraryA(path);
        InterlockedIncrement(&Running<Launch>().libraries_);
        return module;
    });
    Fake(sys.FreeLibrary, [](HMODULE module) -> BOOL {
        InterlockedDecrement(&Running<Launch>().libraries_);
        return FreeLibrary(module);
    });
    answer_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (Stop stop : {kNoClass, kNoDesktop, kNoServiceProvider, kNoAnswer}) {
        stop_ = stop;
        asked_ = 0;
        boxes_.clear();
        ResetEvent(answer_);
        DWORD start = GetTickCount();
        EXPECT_FALSE(LaunchApplication(plan_)) << stop;
        EXPECT_EQ(1, asked_) << stop;
        ASSERT_EQ("Quillarix", BoxCaptions()) << stop;
        EXPECT_EQ(kNotStartedText, boxes_[0].text);
        if (stop == kNoAnswer) {
            EXPECT_GE(GetTickCount() - start, kShellLaunchWaitMs - 100);
        }
        EXPECT_LT(GetTickCount() - start, kShellLaunchWaitMs + 2000) << stop;
        SetEvent(answer_);  // the shell that did not answer gives up now
        for (int i = 0; i < 1000 && (libraries_ != 0 || alive_ != 0); ++i)
            Sleep(10);
        EXPECT_EQ(0, alive_) << stop << ": COM references left";
        EXPECT_EQ(0, libraries_) << stop << ": libraries left loaded";
    }
    CloseHandle(answer_);
}

// Wine's desktop answers, as Explorer does: the shell runs the program.
TEST_F(Launch, TheDesktopsShellStartsItWhereOneAnswers)
{
    std::string mark = Scratch("ran.txt");
    ASSERT_TRUE(WriteFileBytes(plan_.mainExePath, "echo ran> \"" + mark + "\"\r\n"));
    ASSERT_TRUE(LaunchThroughShell(plan_, 60000));
    for (int i = 0; i < 3000 && !FileExists(mark); ++i)
        Sleep(10);
    EXPECT_TRUE(FileExists(mark));
}

}  // namespace
