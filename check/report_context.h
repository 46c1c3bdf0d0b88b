// When, by which check and on which system a report was made: what an
// inventory needs to compare reports over time and across machines.
#pragma once

#include "text/unicode_string.h"

struct ReportContext {
    const char* checkVersion = "";
    // UTC, ISO 8601 to the second: "2026-12-10T11:50:07Z".
    UnicodeString time;
    // The NetBIOS name; empty when the platform does not give it.
    UnicodeString computerName;
    unsigned windowsMajor = 0;
    unsigned windowsMinor = 0;
    unsigned windowsBuild = 0;
    // The system's processor architecture, as `ArchitectureName` names it.
    const char* architecture = "";
    unsigned ansiCodePage = 0;
    unsigned oemCodePage = 0;
};

// Returns the context of a report made now; never throws but for lack of memory.
ReportContext GatherReportContext();
