#include "tests/support/launcher_runner.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <utility>

#include "tests/support/temp_folder.h"

namespace {
std::wstring ClassName(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring WindowText(HWND window)
{
    // WM_GETTEXT with a time limit: a hung box must not hang the runner.
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    return std::wstring(text, std::min<std::size_t>(copied, 4095));
}

// Returns the text as a button shows it: "&x" shows x, "&&" shows one "&".
std::wstring WithoutMnemonics(const std::wstring& text)
{
    std::wstring shown;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == L'&' && at + 1 < text.size()) ++at;
        shown += text[at];
    }
    return shown;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Returns a width x height picture of what `draw` puts into a 32-bit bitmap
// selected into a memory context, the bitmap first filled with `background`.
template <typename Draw>
Picture Render(int width, int height, std::uint32_t background, Draw draw)
{
    Picture picture;
    if (width <= 0 || height <= 0) return picture;
    picture.width = width;
    picture.height = height;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        auto* target = static_cast<std::uint32_t*>(bits);
        std::fill(target, target + width * height, background);
        HGDIOBJ previous = ::SelectObject(memory, bitmap);
        draw(memory, screen);
        ::GdiFlush();
        picture.pixels.assign(target, target + width * height);
        for (std::uint32_t& pixel : picture.pixels) pixel &= 0xFFFFFF;
        ::SelectObject(memory, previous);
    }
    if (bitmap) ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return picture;
}

// Copies a rectangle of the screen, which the other process has drawn.
Picture CaptureScreen(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    return Render(width, height, 0, [&](HDC memory, HDC screen) {
        ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
    });
}

// Draws a system icon as a static control of that size would, over `background`.
Picture DrawSystemIcon(LPCWSTR id, int width, int height, std::uint32_t background)
{
    return Render(width, height, background, [&](HDC memory, HDC) {
        ::DrawIconEx(memory, 0, 0, ::LoadIconW(nullptr, id), width, height, 0, nullptr, DI_NORMAL);
    });
}

int ChannelDistance(std::uint32_t a, std::uint32_t b)
{
    int largest = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int difference =
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        largest = std::max(largest, difference);
    }
    return largest;
}

// Tells the icon a box shows by drawing each system icon as its icon control
// would and comparing that with the screen: the icon's handle belongs to the
// other process and cannot be read from here.
BoxIcon IdentifyIcon(HWND iconControl)
{
    if (!iconControl || !::IsWindowVisible(iconControl)) return BoxIcon::None;
    RECT area = {};
    ::GetWindowRect(iconControl, &area);
    const Picture shown = CaptureScreen(area);
    if (shown.pixels.empty()) return BoxIcon::Unknown;
    const std::uint32_t background = shown.pixels.front();
    if (std::all_of(shown.pixels.begin(), shown.pixels.end(),
                    [&](std::uint32_t pixel) { return pixel == background; }))
        return BoxIcon::None;

    // IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION and IDI_ASTERISK.
    const std::pair<LPCWSTR, BoxIcon> candidates[] = {
        {MAKEINTRESOURCEW(32513), BoxIcon::Error},
        {MAKEINTRESOURCEW(32514), BoxIcon::Question},
        {MAKEINTRESOURCEW(32515), BoxIcon::Warning},
        {MAKEINTRESOURCEW(32516), BoxIcon::Information},
    };
    BoxIcon best = BoxIcon::Unknown;
    std::size_t fewestMismatches = shown.pixels.size() / 20 + 1;
    for (const auto& candidate : candidates) {
        const Picture drawn =
            DrawSystemIcon(candidate.first, shown.width, shown.height, background);
        if (drawn.pixels.size() != shown.pixels.size()) continue;
        std::size_t mismatches = 0;
        for (std::size_t at = 0; at < shown.pixels.size(); ++at)
            if (ChannelDistance(shown.pixels[at], drawn.pixels[at]) > 24) ++mismatches;
        if (mismatches < fewestMismatches) {
            fewestMismatches = mismatches;
            best = candidate.second;
        }
    }
    return best;
}

struct BoxSearch {
    DWORD processId;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<BoxSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window) && ClassName(window) == L"#32770")
        search->boxes.push_back(window);
    return TRUE;
}

struct BoxContent {
    HWND iconControl = nullptr;
    std::wstring text;
    std::vector<std::wstring> buttons;
};

BOOL CALLBACK CollectControl(HWND control, LPARAM context)
{
    auto* content = reinterpret_cast<BoxContent*>(context);
    if (!::IsWindowVisible(control)) return TRUE;
    const std::wstring name = ClassName(control);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    if (::_wcsicmp(name.c_str(), L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            content->iconControl = control;
        } else if (content->text.empty()) {
            content->text = WindowText(control);
        }
    } else if (::_wcsicmp(name.c_str(), L"Button") == 0) {
        content->buttons.push_back(WithoutMnemonics(WindowText(control)));
    }
    return TRUE;
}

std::string Big(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string Chunk(const char* type, const std::string& data)
{
    const std::string typed = type + data;
    return Big(static_cast<std::uint32_t>(data.size())) + typed + Big(Crc32(typed));
}
}  // namespace

const char* BoxIconName(BoxIcon icon)
{
    switch (icon) {
        case BoxIcon::None:
            return "none";
        case BoxIcon::Error:
            return "error";
        case BoxIcon::Question:
            return "question";
        case BoxIcon::Warning:
            return "warning";
        case BoxIcon::Information:
            return "information";
        case BoxIcon::Unknown:
            break;
    }
    return "unknown";
}

std::string ToCodePage(UINT codePage, const std::wstring& text)
{
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                          nullptr, nullptr);
    return bytes;
}

std::wstring FromCodePage(UINT codePage, const std::string& bytes)
{
    if (bytes.empty()) return {};
    const int size = ::MultiByteToWideChar(codePage, 0, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                          size);
    return text;
}

std::string ToUtf8(const std::wstring& text) { return ToCodePage(CP_UTF8, text); }

std::wstring FromUtf8(const std::string& bytes) { return FromCodePage(CP_UTF8, bytes); }

std::wstring EnvironmentBlock(const std::vector<EnvironmentSetting>& settings)
{
    std::wstring block;
    wchar_t* current = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = current; entry && *entry; entry += std::wcslen(entry) + 1) {
        const std::wstring text = entry;
        // "=C:=C:\dir" entries keep their leading "=" in the name.
        const std::size_t equals = text.find(L'=', 1);
        const std::wstring name = text.substr(0, equals);
        const bool replaced =
            std::any_of(settings.begin(), settings.end(), [&](const EnvironmentSetting& setting) {
                return ::_wcsicmp(setting.name.c_str(), name.c_str()) == 0;
            });
        if (!replaced) block += text + L'\0';
    }
    if (current) ::FreeEnvironmentStringsW(current);
    for (const EnvironmentSetting& setting : settings)
        block += setting.name + L'=' + setting.value + L'\0';
    block += L'\0';
    return block;
}

LauncherRun::LauncherRun(const LauncherStart& start) : start_(start)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (start_.useShowWindow) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = start_.showWindow;
    }
    HANDLE output = nullptr;
    if (!start_.outputPath.empty()) {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        output = ::CreateFileW(start_.outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                               &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (output == INVALID_HANDLE_VALUE) output = nullptr;
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = start_.commandLine;
    commandLine.push_back(L'\0');
    std::wstring environment = EnvironmentBlock(start_.environment);
    startedMs_ = ::GetTickCount64();
    outcome_.started =
        ::CreateProcessW(
            start_.executable.c_str(), &commandLine[0], nullptr, nullptr, output != nullptr,
            CREATE_UNICODE_ENVIRONMENT | (output ? CREATE_NO_WINDOW : 0), &environment[0],
            start_.currentDirectory.empty() ? nullptr : start_.currentDirectory.c_str(), &startup,
            &process) != 0;
    if (output) ::CloseHandle(output);
    if (!outcome_.started) {
        outcome_.startError = ::GetLastError();
        ended_ = true;
        return;
    }
    ::CloseHandle(process.hThread);
    process_ = process.hProcess;
    outcome_.processId = process.dwProcessId;
}

LauncherRun::~LauncherRun()
{
    if (!process_) return;
    if (!ended_) {
        ::TerminateProcess(process_, 0xDEAD);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
}

void LauncherRun::Answer(HWND box)
{
    MessageBoxSeen seen;
    seen.caption = WindowText(box);
    BoxContent content;
    ::EnumChildWindows(box, CollectControl, reinterpret_cast<LPARAM>(&content));
    seen.text = content.text;
    seen.buttons = content.buttons;
    // A box becomes visible before it has painted: under a slow emulator its
    // icon may still be half drawn, so look again for a while.
    seen.icon = IdentifyIcon(content.iconControl);
    for (int attempt = 0; attempt < 40 && seen.icon == BoxIcon::Unknown; ++attempt) {
        ::Sleep(50);
        seen.icon = IdentifyIcon(content.iconControl);
    }
    RECT area = {};
    ::GetWindowRect(box, &area);
    Picture picture = CaptureScreen(area);
    seen.width = picture.width;
    seen.height = picture.height;
    seen.pixels = std::move(picture.pixels);
    outcome_.boxes.push_back(std::move(seen));
    // The user presses OK.
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
    answered_.push_back(box);
}

bool LauncherRun::Poll()
{
    if (ended_) return true;
    if (::WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) {
        outcome_.endedMs = ::GetTickCount64();
        DWORD code = 0;
        ::GetExitCodeProcess(process_, &code);
        outcome_.exitCode = code;
        ended_ = true;
        return true;
    }
    const ULONGLONG now = ::GetTickCount64();
    BoxSearch search{outcome_.processId, {}};
    ::EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.boxes) {
        if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) continue;
        auto waiting = std::find_if(pending_.begin(), pending_.end(),
                                    [&](const auto& entry) { return entry.first == box; });
        if (waiting == pending_.end()) {
            pending_.emplace_back(box, now);
        } else if (now - waiting->second >= start_.boxSettleMs) {
            pending_.erase(waiting);
            Answer(box);
        }
    }
    if (now - startedMs_ > start_.timeLimitMs) {
        ::TerminateProcess(process_, 0xDEAD);
        ::WaitForSingleObject(process_, 5000);
        outcome_.timedOut = true;
        outcome_.endedMs = now;
        outcome_.exitCode = 0xDEAD;
        ended_ = true;
        return true;
    }
    return false;
}

LauncherOutcome LauncherRun::Finish()
{
    while (!Poll()) {
    }
    return outcome_;
}

LauncherOutcome RunLauncher(const LauncherStart& start) { return LauncherRun(start).Finish(); }

bool WriteBoxPicture(const MessageBoxSeen& box, const std::wstring& path)
{
    if (box.width <= 0 || box.height <= 0 ||
        box.pixels.size() != static_cast<std::size_t>(box.width) * box.height)
        return false;
    // Rows of filter byte 0 and RGB, in stored (uncompressed) deflate blocks.
    std::string raw;
    raw.reserve(box.pixels.size() * 3 + box.height);
    for (int y = 0; y < box.height; ++y) {
        raw += '\0';
        for (int x = 0; x < box.width; ++x) {
            const std::uint32_t pixel = box.pixels[static_cast<std::size_t>(y) * box.width + x];
            raw += static_cast<char>(pixel >> 16);
            raw += static_cast<char>(pixel >> 8);
            raw += static_cast<char>(pixel);
        }
    }
    std::string zlib = "\x78\x01";
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + length >= raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        zlib += static_cast<char>(length & 0xFF);
        zlib += static_cast<char>(length >> 8);
        zlib += static_cast<char>(~length & 0xFF);
        zlib += static_cast<char>((~length >> 8) & 0xFF);
        zlib.append(raw, at, length);
        if (last) break;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    zlib += Big((b << 16) | a);

    std::string header =
        Big(static_cast<std::uint32_t>(box.width)) + Big(static_cast<std::uint32_t>(box.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);
    const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) +
                            Chunk("IDAT", zlib) + Chunk("IEND", "");

    return WriteFileBytes(path, png);
}
