// What a program does when it must end on an unhandled C++ error. libstdc++'s
// default handler prints the error's demangled type name to stderr, which a
// GUI program does not have; its demangler and printf alone are some 60 KB of
// every executable. This definition is linked into each program in place of
// the library's, so the library's is never pulled in.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
