#include "check/shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cwchar>

#include "platform/arguments.h"
#include "platform/windows_api.h"

namespace {
// Owns one reference to a COM interface.
template <typename Interface>
class ComReference {
public:
    ComReference() = default;
    ComReference(const ComReference&) = delete;
    ComReference& operator=(const ComReference&) = delete;
    ~ComReference()
    {
        if (object_) object_->Release();
    }
    Interface* operator->() const { return object_; }
    void** Out() { return reinterpret_cast<void**>(&object_); }

private:
    Interface* object_ = nullptr;
};

// The apartment the shell's objects live in, for as long as they are used.
class ComApartment {
public:
    ComApartment()
        : result_(
              Windows().CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))
    {
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (SUCCEEDED(result_)) Windows().CoUninitialize();
    }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

// A shell link holds at most MAX_PATH characters in each of these.
UnicodeString Text(const wchar_t* buffer)
{
    return UnicodeString(buffer, static_cast<int>(std::wcslen(buffer)));
}
}  // namespace

ShortcutFinding ReadShortcut(const UnicodeString& file)
{
    ShortcutFinding finding;
    finding.file = file;
    const ComApartment apartment;
    if (FAILED(apartment.Result())) {
        finding.error = apartment.Result();
        return finding;
    }
    ComReference<IShellLinkW> link;
    ComReference<IPersistFile> persisted;
    HRESULT result = Windows().CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IShellLinkW, link.Out());
    if (SUCCEEDED(result)) result = link->QueryInterface(IID_IPersistFile, persisted.Out());
    if (SUCCEEDED(result)) result = persisted->Load(file.CStr(), STGM_READ);
    wchar_t target[MAX_PATH + 1] = {};
    wchar_t arguments[INFOTIPSIZE + 1] = {};
    wchar_t startIn[MAX_PATH + 1] = {};
    // The path as the shell starts it, environment variables expanded.
    if (SUCCEEDED(result)) result = link->GetPath(target, MAX_PATH, nullptr, 0);
    if (SUCCEEDED(result)) result = link->GetArguments(arguments, INFOTIPSIZE);
    if (SUCCEEDED(result)) result = link->GetWorkingDirectory(startIn, MAX_PATH);
    if (FAILED(result)) {
        finding.error = result;
        return finding;
    }
    finding.read = true;
    finding.target = Text(target);
    finding.arguments = Text(arguments);
    finding.startIn = Text(startIn);
    return finding;
}

bool TargetsLauncher(const UnicodeString& target, const UnicodeString& launcher)
{
    return TextEquals(UpperCaseText(target), UpperCaseText(launcher));
}
