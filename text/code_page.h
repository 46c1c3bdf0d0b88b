// The ANSI code page that every narrow text carries.
#pragma once

// Returns the code page GetACP gave when first asked; never throws.
unsigned AnsiCodePage();
