// The ANSI code page that every narrow text carries.
#pragma once

// Returns the code page GetACP gave when the process started; never throws.
unsigned AnsiCodePage();
