// The setup check's fix file at the seam: what it asks the platform for when
// it creates the file, which Wine does not enforce (access lists) or cannot
// show (a removable drive without a medium).
#include "check/registry_fix.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>

#include "platform/windows_api.h"
#include "tests/support/temp_folder.h"

namespace {
// What the fix asked of CreateFileW, with its access list in the platform's
// own notation (SDDL) and the thread's error mode at that moment.
struct CreateCall {
    std::wstring fileName;
    DWORD desiredAccess = 0;
    DWORD shareMode = 0;
    bool security = false;
    bool inherit = true;
    std::wstring accessList;
    DWORD creationDisposition = 0;
    DWORD flagsAndAttributes = 0;
    DWORD errorMode = 0;
};

class RecordingApi : public WindowsApi {
public:
    HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                       LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                       DWORD flagsAndAttributes, HANDLE templateFile) override
    {
        CreateCall call;
        call.fileName = fileName;
        call.desiredAccess = desiredAccess;
        call.shareMode = shareMode;
        call.security = securityAttributes && securityAttributes->lpSecurityDescriptor;
        if (call.security) {
            call.inherit = securityAttributes->bInheritHandle != FALSE;
            LPWSTR sddl = nullptr;
            if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(
                    securityAttributes->lpSecurityDescriptor, SDDL_REVISION_1,
                    DACL_SECURITY_INFORMATION, &sddl, nullptr)) {
                call.accessList = sddl;
                ::LocalFree(sddl);
            }
        }
        call.creationDisposition = creationDisposition;
        call.flagsAndAttributes = flagsAndAttributes;
        call.errorMode = ::GetThreadErrorMode();
        calls.push_back(call);
        return WindowsApi::CreateFileW(fileName, desiredAccess, shareMode, securityAttributes,
                                       creationDisposition, flagsAndAttributes, templateFile);
    }

    std::vector<CreateCall> calls;
};

// The SID of this process's user, as SDDL writes it.
std::wstring UserSid()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
    std::string buffer(512, '\0');
    DWORD size = 0;
    std::wstring sid;
    LPWSTR text = nullptr;
    if (::GetTokenInformation(token, TokenUser, &buffer[0], static_cast<DWORD>(buffer.size()),
                              &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid, &text)) {
        sid = text;
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return sid;
}

// The findings of an installed-runtime setup without "JavaHome", with one
// usable Java 8 registered elsewhere: a fix is due.
Findings FixDue()
{
    Findings findings;
    findings.mode = CheckMode::InstalledRuntime;
    findings.verdict = Verdict::Refuse;
    findings.code = ERROR_FILE_NOT_FOUND;
    RuntimeElsewhere runtime;
    runtime.registryKey = UnicodeString(L"SOFTWARE\\JavaSoft\\JRE\\1.8.0_401");
    runtime.valueName = L"JavaHome";
    runtime.feature = 8;
    runtime.type = REG_SZ;
    runtime.folder = UnicodeString(L"C:\\Java\\jre1.8.0_401");
    runtime.program = ProgramFinding();
    runtime.program->machine = IMAGE_FILE_MACHINE_I386;
    runtime.usable = true;
    findings.runtimesElsewhere = std::vector<RuntimeElsewhere>{runtime};
    return findings;
}

TEST(RegistryFix, CreatesANewFileOnlyAdministratorsSystemAndTheUserMayChange)
{
    TempFolder folder;
    const std::wstring file = folder / L"java-home.reg";
    RecordingApi api;
    RegistryFix fix;
    {
        const ScopedWindowsApi installed(api);
        fix = WriteRegistryFix(FixDue(), UnicodeString(file.c_str()));
    }
    EXPECT_TRUE(fix.written);
    EXPECT_FALSE(fix.notWritten);
    ASSERT_EQ(1u, api.calls.size());
    const CreateCall& call = api.calls[0];
    EXPECT_EQ(file, call.fileName);
    EXPECT_EQ(static_cast<DWORD>(GENERIC_WRITE), call.desiredAccess);
    EXPECT_EQ(0u, call.shareMode);
    // Never an existing name, never through a link.
    EXPECT_EQ(static_cast<DWORD>(CREATE_NEW), call.creationDisposition);
    EXPECT_NE(0u, call.flagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT);
    ASSERT_TRUE(call.security);
    EXPECT_FALSE(call.inherit);
    // Protected (nothing inherited from the folder), full access for SYSTEM,
    // Administrators and the user, none for anyone else.
    const std::wstring user = UserSid();
    ASSERT_FALSE(user.empty());
    EXPECT_EQ(L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;" + user + L")", call.accessList);
    // A drive without a medium fails the write instead of asking the user.
    EXPECT_NE(0u, call.errorMode & SEM_FAILCRITICALERRORS);
    const std::string bytes = ReadFileBytes(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
}
}  // namespace
