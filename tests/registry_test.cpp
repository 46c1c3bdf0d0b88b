#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/windows_api.h"
#include "tests/support/registry_fixture.h"

namespace {
constexpr REGSAM k64BitAccess = KEY_READ | KEY_WOW64_64KEY;  // 0x20119
constexpr REGSAM kDefaultAccess = KEY_READ;                  // 0x20019

std::wstring Wide(const UnicodeString& text) { return std::wstring(text.CStr(), text.Length()); }
UnicodeString Text(const std::wstring& text)
{
    return UnicodeString(text.data(), static_cast<int>(text.size()));
}

// ---------------------------------------------------------------------------
// At the seam: a registry of a few keys in memory that records every call.

class FakeRegistryApi : public WindowsApi {
public:
    struct Value {
        DWORD type;
        std::string bytes;
    };
    struct Key {
        // Rights the key grants; asking for more is refused.
        REGSAM rights = KEY_ALL_ACCESS;
        std::map<std::wstring, Value> values;
    };
    struct Call {
        std::string function;
        HKEY key = nullptr;
        // RegOpenKeyExW: the path; RegQueryValueExW: the value name.
        std::wstring name;
        bool nameWasNull = false;
        REGSAM desired = 0;
        HKEY presetResult = nullptr;
        HKEY result = nullptr;
        bool withBuffer = false;
        DWORD presetType = 0;
        DWORD presetSize = 0;
        LSTATUS status = ERROR_SUCCESS;
    };

    FakeRegistryApi()
    {
        paths_[HKEY_LOCAL_MACHINE] = L"HKLM";
        paths_[HKEY_CURRENT_USER] = L"HKCU";
        keys[L"HKLM"];
        keys[L"HKCU"];
    }

    // Adds a key below HKEY_LOCAL_MACHINE.
    Key& AddKey(const std::wstring& path) { return keys[L"HKLM\\" + path]; }

    LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM desired, PHKEY result) override
    {
        Call call{"RegOpenKeyExW", key, subKey ? subKey : L"", subKey == nullptr, desired};
        call.presetResult = *result;
        *result = nullptr;
        call.status = Open(key, call.name, desired, result);
        call.result = *result;
        calls.push_back(call);
        return call.status;
    }

    LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) override
    {
        Call call{"RegQueryValueExW", key, valueName ? valueName : L"", valueName == nullptr};
        call.withBuffer = data != nullptr;
        call.presetType = type ? *type : 0;
        call.presetSize = dataSize ? *dataSize : 0;
        call.status = Query(key, call.name, type, data, dataSize);
        calls.push_back(call);
        if (!data && afterSizeQuery) afterSizeQuery();
        return call.status;
    }

    LSTATUS RegCloseKey(HKEY key) override
    {
        Call call{"RegCloseKey", key, {}};
        call.status = closeResult;
        if (openHandles.erase(key) == 0) ++closesOfUnknownHandles;
        calls.push_back(call);
        return call.status;
    }

    LSTATUS RegFlushKey(HKEY key) override
    {
        Call call{"RegFlushKey", key, {}};
        call.status = flushResult;
        calls.push_back(call);
        return call.status;
    }

    // Returns the names of the recorded calls, in order.
    std::vector<std::string> Functions() const
    {
        std::vector<std::string> names;
        for (const Call& call : calls) names.push_back(call.function);
        return names;
    }
    // Returns the recorded calls of one function, in order.
    std::vector<Call> CallsOf(const std::string& function) const
    {
        std::vector<Call> found;
        for (const Call& call : calls)
            if (call.function == function) found.push_back(call);
        return found;
    }

    std::map<std::wstring, Key> keys;
    std::vector<Call> calls;
    std::set<HKEY> openHandles;
    int closesOfUnknownHandles = 0;
    LSTATUS closeResult = ERROR_SUCCESS;
    LSTATUS flushResult = ERROR_SUCCESS;
    // Runs after every query without a buffer: lets a value change in between.
    std::function<void()> afterSizeQuery;

private:
    LSTATUS Open(HKEY base, const std::wstring& subKey, REGSAM desired, PHKEY result)
    {
        const auto basePath = paths_.find(base);
        if (basePath == paths_.end()) return ERROR_INVALID_HANDLE;
        const std::wstring path =
            subKey.empty() ? basePath->second : basePath->second + L"\\" + subKey;
        const auto key = keys.find(path);
        if (key == keys.end()) return ERROR_FILE_NOT_FOUND;
        const REGSAM asked = desired & ~(KEY_WOW64_64KEY | KEY_WOW64_32KEY);
        if (asked & ~key->second.rights) return ERROR_ACCESS_DENIED;
        const HKEY handle =
            reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x1000 + 4 * next_++));
        paths_[handle] = path;
        openHandles.insert(handle);
        *result = handle;
        return ERROR_SUCCESS;
    }

    LSTATUS Query(HKEY handle, const std::wstring& name, LPDWORD type, LPBYTE data,
                  LPDWORD dataSize)
    {
        const auto path = paths_.find(handle);
        if (path == paths_.end() || (handle != HKEY_LOCAL_MACHINE && handle != HKEY_CURRENT_USER &&
                                     openHandles.count(handle) == 0))
            return ERROR_INVALID_HANDLE;
        const Key& key = keys[path->second];
        const auto value = key.values.find(name);
        if (value == key.values.end()) return ERROR_FILE_NOT_FOUND;
        if (type) *type = value->second.type;
        const DWORD size = static_cast<DWORD>(value->second.bytes.size());
        if (data) {
            if (*dataSize < size) {
                *dataSize = size;
                return ERROR_MORE_DATA;
            }
            std::memcpy(data, value->second.bytes.data(), size);
        }
        if (dataSize) *dataSize = size;
        return ERROR_SUCCESS;
    }

    std::map<HKEY, std::wstring> paths_;
    unsigned next_ = 0;
};

class RegistrySeamTest : public ::testing::Test {
protected:
    RegistrySeamTest()
    {
        fake.AddKey(L"A");
        fake.AddKey(L"A\\B");
        fake.AddKey(L"B");
        fake.AddKey(L"\\C");
    }

    // A 64-bit accessor on HKEY_LOCAL_MACHINE with key A open and the
    // recording cleared.
    std::unique_ptr<TRegistry> WithKeyAOpen(REGSAM access = k64BitAccess)
    {
        auto registry = std::make_unique<TRegistry>(access);
        registry->SetRootKey(HKEY_LOCAL_MACHINE);
        EXPECT_TRUE(registry->OpenKey(Text(L"A"), false));
        keyA = registry->CurrentKey();
        fake.calls.clear();
        return registry;
    }

    FakeRegistryApi fake;
    ScopedWindowsApi installed{fake};
    HKEY keyA = nullptr;
};

TEST_F(RegistrySeamTest, ConstructionGivesTheCurrentUserRootAndNoKeyWithoutCallingTheRegistry)
{
    TRegistry registry(k64BitAccess);
    EXPECT_EQ(HKEY_CURRENT_USER, registry.RootKey());
    EXPECT_EQ(nullptr, registry.CurrentKey());
    EXPECT_TRUE(registry.CurrentPath().IsEmpty());
    EXPECT_EQ(k64BitAccess, registry.Access());
    EXPECT_TRUE(registry.LazyWrite());
    EXPECT_EQ(0, registry.LastError());

    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, registry.RootKey());
    EXPECT_EQ(nullptr, registry.CurrentKey());
    EXPECT_TRUE(fake.calls.empty());
}

struct KeyExistsCase {
    REGSAM access;
    REGSAM mask;
};

class KeyExistsMaskTest : public RegistrySeamTest,
                          public ::testing::WithParamInterface<KeyExistsCase> {};

TEST_P(KeyExistsMaskTest, OpensWithTheViewBitsAndReadRightsAndLeavesTheAccessorAsItWas)
{
    auto registry = WithKeyAOpen(GetParam().access);
    // Leave a failure code behind, with A still open.
    EXPECT_FALSE(registry->OpenKey(Text(L"Missing"), false));
    ASSERT_EQ(ERROR_FILE_NOT_FOUND, registry->LastError());
    fake.calls.clear();

    EXPECT_TRUE(registry->KeyExists(Text(L"B")));
    EXPECT_FALSE(registry->KeyExists(Text(L"\\Missing")));

    ASSERT_EQ((std::vector<std::string>{"RegOpenKeyExW", "RegCloseKey", "RegOpenKeyExW"}),
              fake.Functions());
    const auto& found = fake.calls[0];
    EXPECT_EQ(keyA, found.key);  // relative, below the open key
    EXPECT_EQ(L"B", found.name);
    EXPECT_EQ(GetParam().mask, found.desired);
    EXPECT_EQ(nullptr, found.presetResult);
    EXPECT_EQ(found.result, fake.calls[1].key);
    const auto& missing = fake.calls[2];
    EXPECT_EQ(HKEY_LOCAL_MACHINE, missing.key);
    EXPECT_EQ(L"Missing", missing.name);
    EXPECT_EQ(GetParam().mask, missing.desired);

    EXPECT_EQ(GetParam().access, registry->Access());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry->LastError());
    EXPECT_EQ(keyA, registry->CurrentKey());
    EXPECT_EQ(L"A", Wide(registry->CurrentPath()));
    EXPECT_EQ((std::set<HKEY>{keyA}), fake.openHandles);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, KeyExistsMaskTest,
    ::testing::Values(KeyExistsCase{k64BitAccess, 0x20109}, KeyExistsCase{kDefaultAccess, 0x20009},
                      KeyExistsCase{KEY_ALL_ACCESS, 0x20009},
                      KeyExistsCase{KEY_ALL_ACCESS | KEY_WOW64_32KEY, 0x20209}));

TEST_F(RegistrySeamTest, KeyExistsKeepsASuccessCodeAfterAFailedProbe)
{
    auto registry = WithKeyAOpen();
    ASSERT_EQ(0, registry->LastError());
    EXPECT_FALSE(registry->KeyExists(Text(L"Missing")));
    EXPECT_EQ(0, registry->LastError());
}

TEST_F(RegistrySeamTest, KeyWithoutNotifyRightExistsButDoesNotOpenAndReadsEmpty)
{
    fake.AddKey(L"Narrow").rights = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
    fake.AddKey(L"Narrow").values[L"JavaHome"] = {REG_SZ, WideBytes(L"C:\\Java")};
    TRegistry registry(k64BitAccess);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);

    EXPECT_TRUE(registry.KeyExists(Text(L"Narrow")));
    EXPECT_FALSE(registry.OpenKey(Text(L"Narrow"), false));
    EXPECT_EQ(ERROR_ACCESS_DENIED, registry.LastError());
    EXPECT_EQ(nullptr, registry.CurrentKey());
    EXPECT_TRUE(registry.ReadString(Text(L"JavaHome")).IsEmpty());
}

// Which calls leave their result in LastError, starting from a known code.
struct LastErrorCase {
    const char* scenario;
    std::function<void(TRegistry&)> act;
    LONG expected;  // -1: the code from before stays
};

class LastErrorTest : public RegistrySeamTest,
                      public ::testing::WithParamInterface<LastErrorCase> {};

TEST_P(LastErrorTest, IsStoredOnlyByTheRecordedCalls)
{
    fake.AddKey(L"A").values[L"Text"] = {REG_SZ, WideBytes(L"x")};
    fake.AddKey(L"A").values[L"Number"] = {REG_DWORD, std::string(4, '\1')};
    fake.AddKey(L"A").values[L"Empty"] = {REG_DWORD, ""};
    fake.closeResult = ERROR_INVALID_HANDLE;
    fake.flushResult = ERROR_INVALID_HANDLE;
    auto registry = WithKeyAOpen();
    // A known code from before: a failed open, A still current.
    ASSERT_FALSE(registry->OpenKey(Text(L"Missing"), false));
    ASSERT_EQ(ERROR_FILE_NOT_FOUND, registry->LastError());

    try {
        GetParam().act(*registry);
    } catch (const ERegistryException&) {
    }
    EXPECT_EQ(GetParam().expected < 0 ? ERROR_FILE_NOT_FOUND : GetParam().expected,
              registry->LastError());
}

INSTANTIATE_TEST_SUITE_P(
    Calls, LastErrorTest,
    ::testing::Values(
        LastErrorCase{"OpenKeySucceeding",
                      [](TRegistry& r) { EXPECT_TRUE(r.OpenKey(Text(L"B"), false)); }, 0},
        LastErrorCase{"OpenKeyDenied",
                      [](TRegistry& r) {
                          r.SetAccess(KEY_ALL_ACCESS | ACCESS_SYSTEM_SECURITY);
                          EXPECT_FALSE(r.OpenKey(Text(L"B"), false));
                      },
                      ERROR_ACCESS_DENIED},
        LastErrorCase{"KeyExistsFound", [](TRegistry& r) { EXPECT_TRUE(r.KeyExists(Text(L"B"))); },
                      -1},
        LastErrorCase{"GetDataInfoFound",
                      [](TRegistry& r) {
                          TRegDataInfo info;
                          EXPECT_TRUE(r.GetDataInfo(Text(L"Text"), info));
                      },
                      0},
        LastErrorCase{"GetDataSizeMissing",
                      [](TRegistry& r) { EXPECT_EQ(-1, r.GetDataSize(Text(L"Absent"))); },
                      ERROR_FILE_NOT_FOUND},
        LastErrorCase{"ReadStringRead",
                      [](TRegistry& r) { EXPECT_EQ(L"x", Wide(r.ReadString(Text(L"Text")))); }, 0},
        LastErrorCase{"ReadStringEmptyData",
                      [](TRegistry& r) { EXPECT_TRUE(r.ReadString(Text(L"Empty")).IsEmpty()); }, 0},
        LastErrorCase{
            "ReadStringOfWrongType",
            [](TRegistry& r) { EXPECT_THROW(r.ReadString(Text(L"Number")), ERegistryException); },
            0},
        LastErrorCase{"ReadStringWithNoKeyOpen",
                      [](TRegistry& r) {
                          r.CloseKey();
                          EXPECT_TRUE(r.ReadString(Text(L"Text")).IsEmpty());
                      },
                      ERROR_INVALID_HANDLE},
        LastErrorCase{"CloseKeyFailingFlushAndClose",
                      [](TRegistry& r) {
                          r.SetLazyWrite(false);
                          r.CloseKey();
                      },
                      -1},
        LastErrorCase{"RootKeyChanged", [](TRegistry& r) { r.SetRootKey(HKEY_CURRENT_USER); }, -1}),
    [](const ::testing::TestParamInfo<LastErrorCase>& info) { return info.param.scenario; });

struct OpenPathCase {
    const char* scenario;
    bool keyAOpen;
    const wchar_t* path;
    bool fromKeyA;  // the open is made below A rather than the root
    const wchar_t* passed;
    const wchar_t* currentPath;
};

class OpenKeyPathTest : public RegistrySeamTest,
                        public ::testing::WithParamInterface<OpenPathCase> {};

TEST_P(OpenKeyPathTest, OpensFromTheRightKeyAndClosesThePreviousOneAfterwards)
{
    const OpenPathCase& c = GetParam();
    std::unique_ptr<TRegistry> registry;
    if (c.keyAOpen) {
        registry = WithKeyAOpen();
    } else {
        registry = std::make_unique<TRegistry>(k64BitAccess);
        registry->SetRootKey(HKEY_LOCAL_MACHINE);
    }

    ASSERT_TRUE(registry->OpenKey(Text(c.path), false));

    ASSERT_GE(fake.calls.size(), 1u);
    const auto& open = fake.calls[0];
    EXPECT_EQ("RegOpenKeyExW", open.function);
    EXPECT_EQ(c.fromKeyA ? keyA : HKEY_LOCAL_MACHINE, open.key);
    EXPECT_EQ(c.passed, open.name);
    EXPECT_FALSE(open.nameWasNull);
    EXPECT_EQ(k64BitAccess, open.desired);
    EXPECT_EQ(nullptr, open.presetResult);
    if (c.keyAOpen) {
        ASSERT_EQ((std::vector<std::string>{"RegOpenKeyExW", "RegCloseKey"}), fake.Functions());
        EXPECT_EQ(keyA, fake.calls[1].key);
    } else {
        EXPECT_EQ((std::vector<std::string>{"RegOpenKeyExW"}), fake.Functions());
    }
    EXPECT_EQ(open.result, registry->CurrentKey());
    EXPECT_EQ(c.currentPath, Wide(registry->CurrentPath()));
    EXPECT_EQ(0, registry->LastError());
    EXPECT_EQ((std::set<HKEY>{open.result}), fake.openHandles);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OpenKeyPathTest,
    ::testing::Values(
        OpenPathCase{"RelativeWithNoKeyOpen", false, L"A\\B", false, L"A\\B", L"A\\B"},
        OpenPathCase{"AbsoluteWithNoKeyOpen", false, L"\\A\\B", false, L"A\\B", L"A\\B"},
        OpenPathCase{"OnlyOneBackslashIsTaken", false, L"\\\\C", false, L"\\C", L"\\C"},
        OpenPathCase{"EmptyWithNoKeyOpen", false, L"", false, L"", L""},
        OpenPathCase{"RelativeBelowTheOpenKey", true, L"B", true, L"B", L"A\\B"},
        OpenPathCase{"AbsoluteWhileAKeyIsOpen", true, L"\\B", false, L"B", L"B"},
        OpenPathCase{"EmptyBelowTheOpenKey", true, L"", true, L"", L"A\\"}),
    [](const ::testing::TestParamInfo<OpenPathCase>& info) { return info.param.scenario; });

TEST_F(RegistrySeamTest, FailingOpenKeyLeavesTheOpenKeyCurrent)
{
    auto registry = WithKeyAOpen();
    EXPECT_FALSE(registry->OpenKey(Text(L"Missing"), false));
    EXPECT_EQ(keyA, registry->CurrentKey());
    EXPECT_EQ(L"A", Wide(registry->CurrentPath()));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, registry->RootKey());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry->LastError());
    EXPECT_EQ((std::vector<std::string>{"RegOpenKeyExW"}), fake.Functions());
}

TEST_F(RegistrySeamTest, OpenKeyNeverCreatesAKey)
{
    TRegistry registry(KEY_ALL_ACCESS);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(registry.OpenKey(Text(L"Missing"), true));
    EXPECT_EQ(nullptr, registry.CurrentKey());
    EXPECT_EQ(0u, fake.keys.count(L"HKLM\\Missing"));
}

TEST_F(RegistrySeamTest, SettingTheSameRootKeyKeepsTheOpenKey)
{
    auto registry = WithKeyAOpen();
    registry->SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(keyA, registry->CurrentKey());
    EXPECT_EQ(L"A", Wide(registry->CurrentPath()));
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(RegistrySeamTest, SettingAnotherRootKeyClosesTheOpenKeyButNotTheOldRoot)
{
    auto registry = WithKeyAOpen();
    registry->SetRootKey(HKEY_CURRENT_USER);
    EXPECT_EQ(HKEY_CURRENT_USER, registry->RootKey());
    EXPECT_EQ(nullptr, registry->CurrentKey());
    EXPECT_TRUE(registry->CurrentPath().IsEmpty());
    ASSERT_EQ((std::vector<std::string>{"RegCloseKey"}), fake.Functions());
    EXPECT_EQ(keyA, fake.calls[0].key);
}

struct CloseCase {
    const char* scenario;
    bool lazyWrite;
    bool byRelease;  // the destructor rather than CloseKey
};

class CloseKeyTest : public RegistrySeamTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseKeyTest, FlushesOnlyWhenLazyWriteIsOff)
{
    auto registry = WithKeyAOpen();
    registry->SetLazyWrite(GetParam().lazyWrite);
    if (GetParam().byRelease) {
        registry.reset();
    } else {
        registry->CloseKey();
        EXPECT_EQ(nullptr, registry->CurrentKey());
        EXPECT_TRUE(registry->CurrentPath().IsEmpty());
    }
    if (GetParam().lazyWrite) {
        ASSERT_EQ((std::vector<std::string>{"RegCloseKey"}), fake.Functions());
    } else {
        ASSERT_EQ((std::vector<std::string>{"RegFlushKey", "RegCloseKey"}), fake.Functions());
    }
    for (const auto& call : fake.calls) EXPECT_EQ(keyA, call.key);
    EXPECT_TRUE(fake.openHandles.empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseKeyTest,
                         ::testing::Values(CloseCase{"CloseKeyLazy", true, false},
                                           CloseCase{"CloseKeyEager", false, false},
                                           CloseCase{"ReleaseLazy", true, true},
                                           CloseCase{"ReleaseEager", false, true}),
                         [](const ::testing::TestParamInfo<CloseCase>& info) {
                             return info.param.scenario;
                         });

TEST_F(RegistrySeamTest, CloseKeyWithNoKeyOpenCallsNothing)
{
    TRegistry registry(k64BitAccess);
    registry.SetLazyWrite(false);
    registry.CloseKey();
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(RegistrySeamTest, RootKeyIsNeverClosedOverALifetime)
{
    fake.AddKey(L"A").values[L"Text"] = {REG_SZ, WideBytes(L"x")};
    {
        TRegistry registry(kDefaultAccess);
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        EXPECT_TRUE(registry.KeyExists(Text(L"A")));
        EXPECT_TRUE(registry.OpenKey(Text(L"A"), false));
        EXPECT_FALSE(registry.OpenKey(Text(L"Missing"), false));
        EXPECT_TRUE(registry.OpenKey(Text(L"\\B"), false));
        registry.SetRootKey(HKEY_CURRENT_USER);
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        EXPECT_TRUE(registry.OpenKey(Text(L""), false));
        registry.SetLazyWrite(false);
    }
    for (const auto& call : fake.CallsOf("RegCloseKey")) {
        EXPECT_NE(HKEY_LOCAL_MACHINE, call.key);
        EXPECT_NE(HKEY_CURRENT_USER, call.key);
    }
    EXPECT_EQ(0, fake.closesOfUnknownHandles);
    EXPECT_TRUE(fake.openHandles.empty());
}

TEST_F(RegistrySeamTest, ReadStringQueriesTwiceWithTheSizeAndPassesEmptyNamesAsEmptyStrings)
{
    fake.AddKey(L"A").values[L""] = {REG_SZ, WideBytes(L"default", false).substr(0, 7)};
    auto registry = WithKeyAOpen();
    EXPECT_EQ(L"def", Wide(registry->ReadString(UnicodeString())));

    const auto queries = fake.CallsOf("RegQueryValueExW");
    ASSERT_EQ(2u, queries.size());
    EXPECT_EQ(fake.calls.size(), queries.size());
    for (const auto& query : queries) {
        EXPECT_EQ(keyA, query.key);
        EXPECT_FALSE(query.nameWasNull);
        EXPECT_EQ(L"", query.name);
    }
    EXPECT_FALSE(queries[0].withBuffer);
    EXPECT_TRUE(queries[1].withBuffer);
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), queries[1].presetType);
    EXPECT_EQ(7u, queries[1].presetSize);
}

struct GrowCase {
    const char* scenario;
    DWORD type;
};

class GrownValueTest : public RegistrySeamTest, public ::testing::WithParamInterface<GrowCase> {};

TEST_P(GrownValueTest, ReportsTheFailedReadWhateverTheType)
{
    FakeRegistryApi::Value& value = fake.AddKey(L"A").values[L"JavaHome"];
    value = {GetParam().type, WideBytes(L"C:\\J")};
    fake.afterSizeQuery = [&value] { value.bytes = WideBytes(L"C:\\Program Files\\Java"); };
    auto registry = WithKeyAOpen();

    try {
        registry->ReadString(Text(L"JavaHome"));
        FAIL() << "no exception";
    } catch (const ERegistryException& error) {
        EXPECT_STREQ("Failed to get data for 'JavaHome'", error.Message().CStr());
    }
    EXPECT_EQ(ERROR_MORE_DATA, registry->LastError());
    EXPECT_EQ(2u, fake.CallsOf("RegQueryValueExW").size());
    EXPECT_EQ(keyA, registry->CurrentKey());
    EXPECT_EQ(L"A", Wide(registry->CurrentPath()));
}

INSTANTIATE_TEST_SUITE_P(Types, GrownValueTest,
                         ::testing::Values(GrowCase{"String", REG_SZ}, GrowCase{"Dword", REG_DWORD},
                                           GrowCase{"MultiString", REG_MULTI_SZ}),
                         [](const ::testing::TestParamInfo<GrowCase>& info) {
                             return info.param.scenario;
                         });

struct DataInfoCase {
    const char* scenario;
    DWORD type;
    TRegDataType expected;
};

class DataInfoTest : public RegistrySeamTest, public ::testing::WithParamInterface<DataInfoCase> {};

TEST_P(DataInfoTest, MapsTheWindowsTypeAndGivesTheSize)
{
    fake.AddKey(L"A").values[L"V"] = {GetParam().type, std::string(5, 'x')};
    auto registry = WithKeyAOpen();
    TRegDataInfo info{rdBinary, 99};
    ASSERT_TRUE(registry->GetDataInfo(Text(L"V"), info));
    EXPECT_EQ(GetParam().expected, info.RegData);
    EXPECT_EQ(5, info.DataSize);
    EXPECT_EQ(5, registry->GetDataSize(Text(L"V")));
}

INSTANTIATE_TEST_SUITE_P(
    Types, DataInfoTest,
    ::testing::Values(DataInfoCase{"None", REG_NONE, rdUnknown},
                      DataInfoCase{"String", REG_SZ, rdString},
                      DataInfoCase{"ExpandString", REG_EXPAND_SZ, rdExpandString},
                      DataInfoCase{"Binary", REG_BINARY, rdBinary},
                      DataInfoCase{"Dword", REG_DWORD, rdInteger},
                      DataInfoCase{"MultiString", REG_MULTI_SZ, rdUnknown},
                      DataInfoCase{"Qword", REG_QWORD, rdUnknown}),
    [](const ::testing::TestParamInfo<DataInfoCase>& info) { return info.param.scenario; });

TEST_F(RegistrySeamTest, GetDataInfoOfAMissingValueIsClearedAndFalse)
{
    auto registry = WithKeyAOpen();
    TRegDataInfo info{rdBinary, 99};
    EXPECT_FALSE(registry->GetDataInfo(Text(L"Absent"), info));
    EXPECT_EQ(rdUnknown, info.RegData);
    EXPECT_EQ(0, info.DataSize);
    EXPECT_EQ(-1, registry->GetDataSize(Text(L"Absent")));
}

// ---------------------------------------------------------------------------
// On the real registry, in a key of the tests' own written in both views.

struct ReadOutcome {
    bool raised = false;
    std::wstring text;
    std::string message;
};

ReadOutcome ReadValue(TRegistry& registry, const std::wstring& name)
{
    ReadOutcome outcome;
    try {
        outcome.text = Wide(registry.ReadString(Text(name)));
    } catch (const ERegistryException& error) {
        outcome.raised = true;
        outcome.message = error.Message().CStr();
    }
    return outcome;
}

std::unique_ptr<TRegistry> MachineAccessor(REGSAM access)
{
    auto registry = std::make_unique<TRegistry>(access);
    registry->SetRootKey(HKEY_LOCAL_MACHINE);
    return registry;
}

struct ValueCase {
    const char* scenario;
    const wchar_t* name;
    DWORD type;
    std::string bytes;
    const wchar_t* text;  // null: the read raises `message`
    const char* message;
};

std::string Bytes(const char* units, std::size_t count) { return std::string(units, count); }

class RealRegistryValueTest : public ::testing::TestWithParam<ValueCase> {
protected:
    const std::wstring path = UniqueTestKeyPath();
    TestRegistryKey key64{path, KEY_WOW64_64KEY};
    TestRegistryKey key32{path, KEY_WOW64_32KEY};
};

TEST_P(RealRegistryValueTest, ReadsInBothViews)
{
    const ValueCase& c = GetParam();
    ASSERT_TRUE(key64.SetValue(c.name, c.type, c.bytes));
    ASSERT_TRUE(key32.SetValue(c.name, c.type, c.bytes));
    for (REGSAM access : {k64BitAccess, kDefaultAccess}) {
        SCOPED_TRACE(access);
        auto registry = MachineAccessor(access);
        ASSERT_TRUE(registry->OpenKey(Text(path), false));
        const ReadOutcome outcome = ReadValue(*registry, c.name);
        if (c.text) {
            EXPECT_FALSE(outcome.raised) << outcome.message;
            EXPECT_EQ(c.text, outcome.text);
        } else {
            EXPECT_TRUE(outcome.raised);
            EXPECT_EQ(c.message, outcome.message);
        }
        EXPECT_EQ(0, registry->LastError());
        EXPECT_NE(nullptr, registry->CurrentKey());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RealRegistryValueTest,
    ::testing::Values(
        ValueCase{"StringWithNul", L"JavaHome", REG_SZ, WideBytes(L"C:\\Java\\jre"),
                  L"C:\\Java\\jre", nullptr},
        ValueCase{"StringWithoutNul", L"JavaHome", REG_SZ, WideBytes(L"C:\\Java\\jre", false),
                  L"C:\\Java\\jre", nullptr},
        ValueCase{"StringWithEmbeddedNul", L"Executavel", REG_SZ,
                  WideBytes(std::wstring(L"D:\\app\0tail", 11)), L"D:\\app", nullptr},
        ValueCase{"StringOfSevenBytes", L"Seven", REG_SZ, Bytes("a\0b\0c\0d", 7), L"abc", nullptr},
        ValueCase{"StringOfOneByte", L"One", REG_SZ, Bytes("a", 1), L"", nullptr},
        ValueCase{"StringOfThreeBytes", L"Three", REG_SZ, Bytes("a\0b", 3), L"a", nullptr},
        ValueCase{"DefaultValue", L"", REG_SZ, WideBytes(L"unnamed"), L"unnamed", nullptr},
        ValueCase{"ExpandStringUnexpanded", L"Path", REG_EXPAND_SZ,
                  WideBytes(L"%SystemRoot%\\java"), L"%SystemRoot%\\java", nullptr},
        ValueCase{"PercentInText", L"Pct", REG_SZ, WideBytes(L"100%d %s"), L"100%d %s", nullptr},
        ValueCase{"EmptyString", L"JavaHome", REG_SZ, "", L"", nullptr},
        ValueCase{"EmptyDword", L"JavaHome", REG_DWORD, "", L"", nullptr},
        ValueCase{"EmptyBinary", L"Executavel", REG_BINARY, "", L"", nullptr},
        ValueCase{"EmptyNone", L"Nothing", REG_NONE, "", L"", nullptr},
        ValueCase{"Dword", L"JavaHome", REG_DWORD, Bytes("\1\0\0\0", 4), nullptr,
                  "Invalid data type for 'JavaHome'"},
        ValueCase{"Binary", L"Executavel", REG_BINARY, WideBytes(L"D:\\aplic"), nullptr,
                  "Invalid data type for 'Executavel'"},
        ValueCase{"OddBinary", L"Odd", REG_BINARY, Bytes("\xff", 1), nullptr,
                  "Invalid data type for 'Odd'"},
        ValueCase{"MultiString", L"JavaHome", REG_MULTI_SZ, WideBytes(std::wstring(L"a\0b\0", 4)),
                  nullptr, "Invalid data type for 'JavaHome'"},
        ValueCase{"Qword", L"JavaHome", REG_QWORD, Bytes("\1\0\0\0\0\0\0\0", 8), nullptr,
                  "Invalid data type for 'JavaHome'"},
        ValueCase{"NoneWithData", L"JavaHome", REG_NONE, Bytes("zz", 2), nullptr,
                  "Invalid data type for 'JavaHome'"},
        ValueCase{"PercentInName", L"100%d%s", REG_DWORD, Bytes("\1\0\0\0", 4), nullptr,
                  "Invalid data type for '100%d%s'"}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return info.param.scenario; });

class RealRegistryTest : public ::testing::Test {
protected:
    const std::wstring path = UniqueTestKeyPath();
    TestRegistryKey key64{path, KEY_WOW64_64KEY};
    TestRegistryKey key32{path, KEY_WOW64_32KEY};
};

TEST_F(RealRegistryTest, ValueOfSixtyFourKiBIsReadWhole)
{
    std::wstring big(32768, L'\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<wchar_t>(L'A' + i % 26);
    ASSERT_EQ(65536u, WideBytes(big, false).size());
    ASSERT_TRUE(key64.SetValue(L"Exact", REG_SZ, WideBytes(big, false)));
    ASSERT_TRUE(key64.SetValue(L"Terminated", REG_SZ, WideBytes(big, true)));
    auto registry = MachineAccessor(k64BitAccess);
    ASSERT_TRUE(registry->OpenKey(Text(path), false));
    for (const wchar_t* name : {L"Exact", L"Terminated"}) {
        const ReadOutcome outcome = ReadValue(*registry, name);
        EXPECT_FALSE(outcome.raised) << outcome.message;
        EXPECT_TRUE(outcome.text == big) << "length " << outcome.text.size();
    }
}

TEST_F(RealRegistryTest, MissingValueGivesEmptyTextAndItsCode)
{
    ASSERT_TRUE(key64.SetString(L"Other", L"x"));
    auto registry = MachineAccessor(k64BitAccess);
    ASSERT_TRUE(registry->OpenKey(Text(path), false));
    const ReadOutcome outcome = ReadValue(*registry, L"JavaHome");
    EXPECT_FALSE(outcome.raised) << outcome.message;
    EXPECT_EQ(L"", outcome.text);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry->LastError());
}

TEST_F(RealRegistryTest, MissingKeyDoesNotOpenAndReadsEmpty)
{
    for (REGSAM access : {k64BitAccess, kDefaultAccess}) {
        SCOPED_TRACE(access);
        auto registry = MachineAccessor(access);
        EXPECT_FALSE(registry->KeyExists(Text(path + L"\\Absent")));
        EXPECT_FALSE(registry->OpenKey(Text(path + L"\\Absent"), false));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry->LastError());
        EXPECT_EQ(nullptr, registry->CurrentKey());
        const ReadOutcome outcome = ReadValue(*registry, L"JavaHome");
        EXPECT_FALSE(outcome.raised) << outcome.message;
        EXPECT_EQ(L"", outcome.text);
    }
}

TEST_F(RealRegistryTest, SixtyFourBitAndDefaultViewSeeTheirOwnValues)
{
    if (!HasTwoRegistryViews()) GTEST_SKIP() << "the prefix has one registry view only";
    ASSERT_TRUE(key64.SetString(L"JavaHome", L"C:\\Program Files\\Java"));
    ASSERT_TRUE(key32.SetString(L"JavaHome", L"C:\\Program Files (x86)\\Java"));
    const struct {
        REGSAM access;
        const wchar_t* text;
    } views[] = {{k64BitAccess, L"C:\\Program Files\\Java"},
                 {kDefaultAccess, L"C:\\Program Files (x86)\\Java"},
                 {KEY_READ | KEY_WOW64_32KEY, L"C:\\Program Files (x86)\\Java"}};
    for (const auto& view : views) {
        SCOPED_TRACE(view.access);
        auto registry = MachineAccessor(view.access);
        ASSERT_TRUE(registry->KeyExists(Text(path)));
        ASSERT_TRUE(registry->OpenKey(Text(path), false));
        EXPECT_EQ(view.text, ReadValue(*registry, L"JavaHome").text);
    }
}

TEST_F(RealRegistryTest, KeyOfTheSixtyFourBitViewOnlyIsNotSeenInTheDefaultView)
{
    if (!HasTwoRegistryViews()) GTEST_SKIP() << "the prefix has one registry view only";
    TestRegistryKey only64(path + L"\\Only64", KEY_WOW64_64KEY);
    ASSERT_TRUE(only64.SetString(L"JavaHome", L"C:\\Java64"));

    auto wide = MachineAccessor(k64BitAccess);
    EXPECT_TRUE(wide->KeyExists(Text(path + L"\\Only64")));
    ASSERT_TRUE(wide->OpenKey(Text(path + L"\\Only64"), false));
    EXPECT_EQ(L"C:\\Java64", ReadValue(*wide, L"JavaHome").text);

    auto narrow = MachineAccessor(kDefaultAccess);
    EXPECT_FALSE(narrow->KeyExists(Text(path + L"\\Only64")));
    EXPECT_FALSE(narrow->OpenKey(Text(path + L"\\Only64"), false));
    EXPECT_EQ(L"", ReadValue(*narrow, L"JavaHome").text);
}

TEST_F(RealRegistryTest, LeadingBackslashAndRelativePathsOpenTheExpectedKeys)
{
    TestRegistryKey sub(path + L"\\Sub", KEY_WOW64_64KEY);
    ASSERT_TRUE(key64.SetString(L"Where", L"top"));
    ASSERT_TRUE(sub.SetString(L"Where", L"sub"));

    for (const std::wstring& spelled : {path, L"\\" + path}) {
        auto registry = MachineAccessor(k64BitAccess);
        ASSERT_TRUE(registry->OpenKey(Text(spelled), false));
        EXPECT_EQ(path, Wide(registry->CurrentPath()));
        EXPECT_EQ(L"top", ReadValue(*registry, L"Where").text);

        ASSERT_TRUE(registry->OpenKey(Text(L"Sub"), false));
        EXPECT_EQ(path + L"\\Sub", Wide(registry->CurrentPath()));
        EXPECT_EQ(L"sub", ReadValue(*registry, L"Where").text);

        ASSERT_TRUE(registry->OpenKey(Text(L"\\" + path), false));
        EXPECT_EQ(path, Wide(registry->CurrentPath()));
        EXPECT_EQ(L"top", ReadValue(*registry, L"Where").text);
    }
}

TEST(TestRegistryKeyCleanUp, RemovesTheKeysItCreatedInItsView)
{
    const std::wstring path = UniqueTestKeyPath();
    {
        TestRegistryKey key(path + L"\\Deeper", KEY_WOW64_64KEY);
        ASSERT_TRUE(key.IsOpen());
        ASSERT_TRUE(key.SetDword(L"N", 1));
        EXPECT_TRUE(MachineAccessor(k64BitAccess)->KeyExists(Text(path + L"\\Deeper")));
    }
    EXPECT_FALSE(MachineAccessor(k64BitAccess)->KeyExists(Text(path)));
}
}  // namespace
