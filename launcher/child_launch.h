// Starting the child, waiting for it, and reporting a refused start.
#pragma once

#include <windows.h>

#include "launcher/launch_plan.h"

// Starts the plan's child hidden in its directory and waits for its end, or
// reports the refusal; returns 0 in every case.
int LaunchChild(const LaunchPlan& plan);

// Shows "Erro <code> ao executar o aplicativo." and returns once dismissed.
void ReportLaunchFailure(DWORD errorCode);
