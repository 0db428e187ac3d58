// Frees one block twice and otherwise ends well. Run through the heap check
// of the Win32 tests, it must be reported: the proof that the check sees a
// heap error at all. The block goes through the C runtime, as the program's
// own allocations do.
#include <cstdlib>

int main() {
    // volatile: the compiler may neither see the double free nor drop it.
    void* volatile block = std::malloc(32);
    std::free(block);
    std::free(block);
    return 0;
}
