// The C++ runtime's last resort for an exception that nothing catches, as the
// launcher needs it. The runtime's own default writes the exception's type to
// standard error, which this windowless program does not have, and brings the
// whole name demangler (about 45 KiB of the executable) along for that. WinMain
// catches every exception, so this is never reached in practice; should it
// be, the process ends through abort() as with the default, only without that
// line on standard error.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
