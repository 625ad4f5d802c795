// The operating system's library loader, behind the few calls the host needs.
// platform_posix.cpp implements them with dlopen and friends; a Windows build
// replaces only that file (LoadLibrary, GetProcAddress, FreeLibrary).
#ifndef VANTOREL_HOST_PLATFORM_H
#define VANTOREL_HOST_PLATFORM_H

#include <string>

namespace host::platform {

// Loads the library file at path. Throws HostError "cannot load <what>
// '<path>': <reason>" (no such file, not a regular file, not a loadable library).
void* open_library(const std::string& what, const std::string& path);
void close_library(void* library);
// True when the library loaded from path is no longer mapped into the process.
bool library_gone(const std::string& path);
// The running program as a library: its exports are those of a module linked into it.
void* program_library();
// A library already in the process, found by name without loading it and
// without taking a reference; null when absent.
void* loaded_library(const char* name);
// The address of an entry the library itself exports (not one of its
// dependencies' entries); null when absent.
void* own_symbol(void* library, const char* name);
// The file name the library was loaded from; the program's own name for the program.
std::string library_file_name(const void* library);

}  // namespace host::platform

#endif
