// Runs a program as the end-to-end tests run the launcher, answers its
// message boxes, and prints what it showed and how it ended, in UTF-8.
//
//   launcher_probe <program> <current directory> <raw command line> [<picture folder>]
//
// With a picture folder, each box is saved there as box-<n>.png.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/launcher_runner.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fputs(
            "usage: launcher_probe <program> <current directory> <raw command line> "
            "[<picture folder>]\n",
            stderr);
        return 2;
    }
    LauncherStart start;
    start.executable = argv[1];
    start.currentDirectory = argv[2];
    start.commandLine = argv[3];
    // Long enough for the box to be drawn and its picture to be whole.
    start.boxSettleMs = 1000;
    const LauncherOutcome outcome = RunLauncher(start);
    if (!outcome.started) {
        std::printf("not started: error %lu\n", outcome.startError);
        return 1;
    }
    int number = 0;
    for (const MessageBoxSeen& box : outcome.boxes) {
        ++number;
        std::string buttons;
        for (const std::wstring& button : box.buttons)
            buttons += (buttons.empty() ? "" : ", ") + ToUtf8(button);
        std::printf("box %d: caption \"%s\", text \"%s\", icon %s, buttons [%s]\n", number,
                    ToUtf8(box.caption).c_str(), ToUtf8(box.text).c_str(), BoxIconName(box.icon),
                    buttons.c_str());
        if (argc > 4) {
            const std::wstring path =
                std::wstring(argv[4]) + L"\\box-" + std::to_wstring(number) + L".png";
            if (!WriteBoxPicture(box, path)) std::printf("box %d: no picture saved\n", number);
        }
    }
    if (outcome.timedOut) {
        std::printf("timed out\n");
        return 1;
    }
    std::printf("exit status %lu\n", outcome.exitCode);
    return 0;
}
