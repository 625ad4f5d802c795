// A loadable library that is no vessel module: it lacks ovcInit.
#include <Orbitersdk.h>

DLLCLBK int GetModuleVersion() { return 1; }
