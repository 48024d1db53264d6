// A DLL that stands for one planted beside an executable: loading it must
// be possible only from the executable's folder.
#include <windows.h>

extern "C" __declspec(dllexport) int planted_probe() { return 42; }
