#include "text/code_page.h"

#include "platform/windows_api.h"

unsigned AnsiCodePage()
{
    // Read on first use, not by a static initialiser: nothing promises that
    // the seam is constructed before one. Once read, a code page the system
    // changes later does not change how the launcher's texts are read.
    // GetACP never answers 0, and one thread asks, so a plain variable does
    // (a guarded static would bring the runtime's thread locks along).
    static unsigned codePage = 0;
    if (codePage == 0) codePage = Windows().GetACP();
    return codePage;
}
