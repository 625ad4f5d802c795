// Prints one known line. A Wine without the part for this program's word
// size may exit 0 without running anything, so the checks look for the line.
#include <cstdio>

int main() {
    std::printf("vantorel wine probe: %d-bit program ran\n", static_cast<int>(sizeof(void*) * 8));
    return 0;
}
