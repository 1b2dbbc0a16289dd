#include "app/TovaniApp.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char **argv)
{
#ifdef __GLIBC__
    // A large block is mapped for itself and unmapped when freed. glibc's own
    // threshold grows after the first large block is freed, and every block
    // under the new one comes from the heap, which keeps it: one 10 MB line
    // from an accessible application (20 MB of QString, 10 of message) left
    // 30-40 MB with Tovani for good. Blocks this large are rare enough here
    // that mapping each costs nothing noticeable.
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
    return TovaniApp::main(argc, argv);
}
