#include "check/registry_finding.h"

#include "platform/registry.h"
#include "platform/windows_api.h"
#include "text/conversion.h"

namespace {
UnicodeString Widened(const char* literal) { return ToUnicodeString(AnsiString(literal)); }
}  // namespace

RegistryFinding ExamineRegistryValue(const char* key, const char* value, REGSAM access)
{
    RegistryFinding finding;
    TRegistry registry(access);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    const UnicodeString keyPath = Widened(key);
    if (!registry.KeyExists(keyPath)) return finding;
    if (!registry.OpenKey(keyPath, false)) {
        finding.state = RegistryFinding::State::KeyUnreadable;
        finding.error = registry.LastError();
        return finding;
    }
    const UnicodeString name = Widened(value);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (Windows().RegQueryValueExW(registry.CurrentKey(), name.CStr(), nullptr, &type, nullptr,
                                   &size) != ERROR_SUCCESS) {
        finding.state = RegistryFinding::State::ValueAbsent;
        return finding;
    }
    finding.state = RegistryFinding::State::Present;
    finding.type = type;
    finding.size = size;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        // The launcher's own read, so the text is the one it would take.
        try {
            finding.text = registry.ReadString(name);
        } catch (const ERegistryException&) {
            // Changed between the two queries: the type above still tells.
        }
    }
    return finding;
}

const char* RegistryTypeName(DWORD type)
{
    static const char* const kNames[] = {"REG_NONE",
                                         "REG_SZ",
                                         "REG_EXPAND_SZ",
                                         "REG_BINARY",
                                         "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN",
                                         "REG_LINK",
                                         "REG_MULTI_SZ",
                                         "REG_RESOURCE_LIST",
                                         "REG_FULL_RESOURCE_DESCRIPTOR",
                                         "REG_RESOURCE_REQUIREMENTS_LIST",
                                         "REG_QWORD"};
    return type < sizeof kNames / sizeof kNames[0] ? kNames[type] : "an unknown type";
}
