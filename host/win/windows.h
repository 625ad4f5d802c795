// Stand-in for the few Windows-kernel declarations the vessel module uses.
// On Windows the real <windows.h> takes its place; on this platform the host
// runtime implements these functions.
#ifndef VANTOREL_STANDIN_WINDOWS_H
#define VANTOREL_STANDIN_WINDOWS_H

#include <cstdint>

#if defined(_WIN32)
#error "On Windows use the platform's own windows.h"
#endif

#define WINAPI
#define TRUE 1
#define FALSE 0

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

typedef int BOOL;
typedef std::uint32_t DWORD;
typedef std::uint16_t WORD;
typedef unsigned int UINT;
typedef void* LPVOID;
typedef const char* LPCSTR;

// Module handles are opaque, as on Windows.
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

// An exported function's address, as GetProcAddress returns it.
typedef std::intptr_t (*FARPROC)();

#define VANTOREL_WINAPI_EXPORT __attribute__((visibility("default")))

// Finds a module that is already loaded in the process by its file name.
// Never loads anything: returns null when no such module is loaded.
extern "C" VANTOREL_WINAPI_EXPORT HMODULE GetModuleHandleA(LPCSTR module_name);

// Looks up an exported function of a loaded module by name; null when absent.
extern "C" VANTOREL_WINAPI_EXPORT FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name);

// The DLL entry every module defines. Declared here so that it is exported
// under its plain C name; the host's loader calls it with reason 1 right after
// loading a module and with reason 0 right before unloading it.
extern "C" VANTOREL_WINAPI_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

#endif
