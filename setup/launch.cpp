// Starting Quillarix at the end of an interactive installation. The setup runs with administrator
// rights, and a program it starts directly gets them too: a standard user who had an administrator
// type a password would then hold an administrator's Quillarix, whose Open dialog starts anything.
// So only the desktop's shell (Explorer) starts it, as the person logged on, through the desktop
// view's IShellDispatch2. Where no shell answers within a few seconds (none runs, a SYSTEM session,
// a custom shell, or one the user ended), nothing is started and the person is told so. The shell
// is asked on a thread of its own, bounded in time: a shell that hangs never holds the setup.
#include "setup/launch.h"

#include "base/libraries.h"
#include "base/pathtext.h"
#include "base/product.h"
#include "install/report.h"
#include "install/plan.h"
#include "install/syscalls.h"
#include "base/widetext.h"

#include <exdisp.h>
#include <shldisp.h>

namespace {

constexpr CLSID kClsidShellWindows = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kSidTopLevelBrowser = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// Who starts Quillarix: the worker through the shell claims it just before
// asking the shell; the setup, once it has waited long enough, takes it
// back. Whoever comes second leaves it alone, so it is started once.
enum : LONG { kUnclaimed, kClaimedByShell, kTakenBack };

// The worker's state: it may outlive the wait, so none of it lives on the setup's stack.
struct ShellLaunch {
    char file[kCbPath];
    char directory[kCbPath];
    volatile LONG claim;
    HRESULT result;
};
ShellLaunch s_launch;

template <typename T> void Release(T **object)
{
    if (*object)
        (*object)->Release();
    *object = nullptr;
}

// A BSTR of text (in the ANSI code page), or null.
BSTR AllocString(SysAllocStringFn sysAllocString, const char *text)
{
    WCHAR wide[kCbPath];
    if (sys.MultiByteToWideChar(CP_ACP, 0, text, -1, wide, kCbPath) == 0)
        return nullptr;
    return sysAllocString(wide);
}

}  // namespace

// The chain: the shell windows' desktop, its top-level browser, the active view's background
// object, the shell application, then IShellDispatch2::ShellExecute, which the shell carries out as
// the person logged on. E_ABORT where the setup has taken the claim back. Every object and string
// is released before returning.
HRESULT ShellExecuteThroughDesktop(CoCreateInstanceFn coCreateInstance,
                                   SysAllocStringFn sysAllocString, SysFreeStringFn sysFreeString,
                                   const char *file, const char *directory, volatile LONG *claim)
{
    IShellWindows *windows = nullptr;
    IDispatch *desktop = nullptr, *background = nullptr, *application = nullptr;
    IServiceProvider *provider = nullptr;
    IShellBrowser *browser = nullptr;
    IShellView *view = nullptr;
    IShellFolderViewDual *folderView = nullptr;
    IShellDispatch2 *shell = nullptr;
    BSTR bstrFile = nullptr, bstrDirectory = nullptr, bstrOperation = nullptr;
    VARIANT location, root, arguments, workingFolder, operation, show;
    long hwnd = 0;
    HRESULT hr = coCreateInstance(kClsidShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                  __uuidof(IShellWindows), reinterpret_cast<void **>(&windows));
    if (FAILED(hr))
        goto done;
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    root.vt = VT_EMPTY;
    hr = windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, &desktop);
    if (hr != S_OK || !desktop) {  // S_FALSE: no desktop window
        hr = FAILED(hr) ? hr : E_FAIL;
        goto done;
    }
    if (FAILED(hr = desktop->QueryInterface(__uuidof(IServiceProvider),
                                            reinterpret_cast<void **>(&provider))) ||
        FAILED(hr = provider->QueryService(kSidTopLevelBrowser, __uuidof(IShellBrowser),
                                           reinterpret_cast<void **>(&browser))) ||
        FAILED(hr = browser->QueryActiveShellView(&view)) ||
        FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch),
                                        reinterpret_cast<void **>(&background))) ||
        FAILED(hr = background->QueryInterface(__uuidof(IShellFolderViewDual),
                                               reinterpret_cast<void **>(&folderView))) ||
        FAILED(hr = folderView->get_Application(&application)) ||
        FAILED(hr = application->QueryInterface(__uuidof(IShellDispatch2),
                                                reinterpret_cast<void **>(&shell))))
        goto done;
    bstrFile = AllocString(sysAllocString, file);
    bstrDirectory = AllocString(sysAllocString, directory);
    bstrOperation = AllocString(sysAllocString, "open");
    if (!bstrFile || !bstrDirectory || !bstrOperation) {
        hr = E_OUTOFMEMORY;
        goto done;
    }
    arguments.vt = VT_EMPTY;
    workingFolder.vt = VT_BSTR;
    workingFolder.bstrVal = bstrDirectory;
    operation.vt = VT_BSTR;
    operation.bstrVal = bstrOperation;
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    if (InterlockedCompareExchange(claim, kClaimedByShell, kUnclaimed) != kUnclaimed) {
        hr = E_ABORT;  // too late: the setup has taken the launch back; nothing is started
        goto done;
    }
    hr = shell->ShellExecute(bstrFile, arguments, workingFolder, operation, show);
done:
    if (bstrOperation)
        sysFreeString(bstrOperation);
    if (bstrDirectory)
        sysFreeString(bstrDirectory);
    if (bstrFile)
        sysFreeString(bstrFile);
    Release(&shell);
    Release(&application);
    Release(&folderView);
    Release(&background);
    Release(&view);
    Release(&browser);
    Release(&provider);
    Release(&desktop);
    Release(&windows);
    return hr;
}

namespace {

// The worker: loads OLE32 and OLEAUT32 from the system folder, asks the shell, and leaves the
// result in s_launch. Everything it takes it gives back, unless the process ends first.
DWORD WINAPI AskShell(LPVOID)
{
    Ole32 ole;
    if (!LoadOle32(sys, &ole))
        return 0;
    HMODULE oleaut = LoadSystemLibrary(sys, "oleaut32.dll");
    auto sysAllocString =
        oleaut ? LookUp<SysAllocStringFn>(sys.GetProcAddress(oleaut, "SysAllocString")) : nullptr;
    auto sysFreeString =
        oleaut ? LookUp<SysFreeStringFn>(sys.GetProcAddress(oleaut, "SysFreeString")) : nullptr;
    if (sysAllocString && sysFreeString && ole.coInitialize(nullptr) == S_OK) {
        s_launch.result = ShellExecuteThroughDesktop(ole.coCreateInstance, sysAllocString,
                                                     sysFreeString, s_launch.file,
                                                     s_launch.directory, &s_launch.claim);
        ole.coUninitialize();
    }
    if (oleaut)
        sys.FreeLibrary(oleaut);
    sys.FreeLibrary(ole.module);
    return 0;
}

}  // namespace

bool LaunchThroughShell(const InstallPlan &plan, DWORD waitMs)
{
    s_launch.claim = kUnclaimed;
    s_launch.result = E_FAIL;
    if (!CopyText(s_launch.file, sizeof s_launch.file, plan.mainExePath) ||
        !DirectoryPath(s_launch.directory, sizeof s_launch.directory, plan.installFolder))
        return false;
    HANDLE worker = sys.CreateThread(nullptr, 0, AskShell, nullptr, 0, nullptr);
    if (!worker)
        return false;
    bool launched;
    if (sys.WaitForSingleObject(worker, waitMs) == WAIT_OBJECT_0) {
        launched = SUCCEEDED(s_launch.result);
    } else {
        // No answer in time: take the launch back, unless the shell is
        // already starting Quillarix; then give that call a while more.
        launched = InterlockedCompareExchange(&s_launch.claim, kTakenBack, kUnclaimed) ==
                   kClaimedByShell;
        if (launched && sys.WaitForSingleObject(worker, waitMs) == WAIT_OBJECT_0)
            launched = SUCCEEDED(s_launch.result);
    }
    sys.CloseHandle(worker);
    return launched;
}

bool LaunchApplication(const InstallPlan &plan)
{
    if (LaunchThroughShell(plan, kShellLaunchWaitMs)) {
        LogLine({"Started ", plan.mainExePath, " through the desktop's shell"});
        return true;
    }
    LogLine({kNotStartedText});
    ShowMessageBox(sys, plan.backdrop, kNotStartedText, kProductName, MB_OK | MB_ICONINFORMATION);
    return false;
}
