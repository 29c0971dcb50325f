// qlxuins1: the Quillarix uninstaller that the setup places in the Windows
// folder and registers in the system's list of installed programs. This
// first version only tells the user how to remove the product by hand.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MessageBoxA(nullptr,
                "To remove Quillarix, delete its folder and the Quillarix shortcuts "
                "from the Start menu and the desktop.",
                "Quillarix", MB_OK | MB_ICONINFORMATION);
    return 0;
}
