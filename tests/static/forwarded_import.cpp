// A program that imports advapi32's RtlGenRandom (SystemFunction036), which
// Windows forwards to cryptbase.dll: the import check must refuse it.
#include <windows.h>
#include <ntsecapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    unsigned char random[8];
    return RtlGenRandom(random, sizeof random) ? 0 : 1;
}
