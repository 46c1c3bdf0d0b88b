#include "text/code_page.h"

#include "platform/windows_api.h"

namespace {
// Read once, during start-up: a code page changed later by the system does not
// change how the launcher's texts are read.
const unsigned startupCodePage = Windows().GetACP();
}  // namespace

unsigned AnsiCodePage() { return startupCodePage; }
