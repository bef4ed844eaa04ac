// The C++ runtime's default terminate handler prints the type of an uncaught exception, for
// which MinGW's libstdc++ links in its whole demangler (about 46 KB). A window program has no
// console to print it to, so ours ends the program as std::terminate would without it. Defining
// the handler variable here keeps the runtime's own definition, and with it the demangler, out.
#include <cstdlib>
#include <exception>

namespace __cxxabiv1 {
std::terminate_handler __terminate_handler = std::abort;
}
