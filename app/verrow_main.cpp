// The executable's one application object; the entry routine (verrow_entry) runs it.
#include <cstdlib>

#include "app/launcher_app.h"

verrow::LauncherApp theApp;

// The C++ runtime's default reaction to an exception nobody catches prints the exception's
// demangled type to a console this GUI program does not have, and pulls the whole
// demangler (about 40 KB) into the executable for it. Ending at once is all it would do
// for the user anyway.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
