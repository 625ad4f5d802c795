// Loads and frees the test module with the system loader and checks that its
// DLL entry was called exactly once for attach, then once for detach.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<unsigned long> calls;

const char* reason_name(unsigned long r) {
    return r == DLL_PROCESS_ATTACH ? "attach" : r == DLL_PROCESS_DETACH ? "detach" : "other";
}

std::string seen() {
    std::string s;
    for (unsigned long r : calls) s += std::string(s.empty() ? "" : ", ") + reason_name(r);
    return "[" + s + "]";
}

bool expect(bool ok, const char* what) {
    if (!ok) std::fprintf(stderr, "FAIL: %s; DLL entry calls so far: %s\n", what, seen().c_str());
    return ok;
}

}  // namespace

extern "C" __declspec(dllexport) void vantorel_record_dll_entry(unsigned long reason) { calls.push_back(reason); }

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dll_entry_check MODULE.dll\n");
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (!expect(module != nullptr, "the test module does not load")) return 1;
    bool ok = expect(calls.size() == 1 && calls[0] == DLL_PROCESS_ATTACH, "no single attach call after loading");
    ok = expect(FreeLibrary(module) != 0, "FreeLibrary failed") && ok;
    ok = expect(calls.size() == 2 && calls[1] == DLL_PROCESS_DETACH, "no detach call after freeing") && ok;
    if (ok) std::printf("ok: DLL entry called %s\n", seen().c_str());
    return ok ? 0 : 1;
}
