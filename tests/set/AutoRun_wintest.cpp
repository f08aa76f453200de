// The autostart value and the set-file type in the test prefix's real
// registry. Every test removes what it wrote.
#include "set/AutoRun.h"

#include "platform/TextConv.h"
#include "set/CommandLine.h"
#include "support/win/ClosedRegistry.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <optional>
#include <string>
#include <vector>

namespace tresorix {
namespace {

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::string> readValue(HKEY root, const std::wstring& path, const wchar_t* name)
{
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return Narrow(data);
}

using Unwritable = test::ClosedRegistryRoot;

class AutoRunValue : public ::testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun, L"Tresorix");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Tresorix");
    }
    std::optional<std::string> machine() const { return readValue(HKEY_LOCAL_MACHINE, kRun, L"Tresorix"); }
    std::optional<std::string> user() const { return readValue(HKEY_CURRENT_USER, kRun, L"Tresorix"); }
};

TEST_F(AutoRunValue, WrittenMachineWideReadBackAndDeleted)
{
    const std::string program = "C:\\Programme\\Tresorix\\TRESORIX.EXE";
    const std::string command = AutoRunCommand(program, true, true, "C:\\SETS\\Übung.TSI");
    EXPECT_EQ(UpdateAutoRun(true, command), AutoRunResult::done);
    EXPECT_EQ(machine(), command);
    EXPECT_EQ(user(), std::nullopt);
    EXPECT_TRUE(AutoRunMatches(program));
    EXPECT_FALSE(AutoRunMatches("C:\\Programme\\Tresorix\\ANDERS.EXE"));
    EXPECT_FALSE(AutoRunMatches("c:\\programme\\tresorix\\tresorix.exe")) << "compared exactly";

    EXPECT_EQ(UpdateAutoRun(false, ""), AutoRunResult::done);
    EXPECT_EQ(machine(), std::nullopt);
    EXPECT_FALSE(AutoRunMatches(program));
    EXPECT_EQ(UpdateAutoRun(false, ""), AutoRunResult::done) << "nothing left to delete is no failure";
}

TEST_F(AutoRunValue, UserKeyServesWhenTheMachineKeyIsClosed)
{
    const std::string program = "C:\\Mit Blank\\TRESORIX.EXE";
    const std::string command = AutoRunCommand(program, false, false, "A.TSI");
    {
        Unwritable closed(HKEY_LOCAL_MACHINE);
        EXPECT_EQ(UpdateAutoRun(true, command), AutoRunResult::done);
    }
    EXPECT_EQ(machine(), std::nullopt);
    EXPECT_EQ(user(), command);
    EXPECT_TRUE(AutoRunMatches(program));

    // Once written machine-wide, the per-user value goes: Windows runs both
    // keys and would start the program twice.
    EXPECT_EQ(UpdateAutoRun(true, command), AutoRunResult::done);
    EXPECT_EQ(machine(), command);
    EXPECT_EQ(user(), std::nullopt);

    // Switched off: gone from both keys.
    {
        Unwritable closed(HKEY_LOCAL_MACHINE);
        EXPECT_EQ(UpdateAutoRun(true, command), AutoRunResult::done);
    }
    EXPECT_EQ(UpdateAutoRun(false, ""), AutoRunResult::done);
    EXPECT_EQ(machine(), std::nullopt);
    EXPECT_EQ(user(), std::nullopt);

    Unwritable machineClosed(HKEY_LOCAL_MACHINE), userClosed(HKEY_CURRENT_USER);
    EXPECT_EQ(UpdateAutoRun(true, command), AutoRunResult::notWritten);
    EXPECT_FALSE(AutoRunFailureText(AutoRunResult::notWritten).empty());
}

class SetFileType : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const wchar_t* key : {L".trxtest", L"trxtestfile"}) {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
            RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
            RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + key).c_str());
            RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + key).c_str());
        }
    }
    // The default values under one root, joined by "|".
    static std::string defaults(HKEY root, const std::wstring& prefix)
    {
        std::string out;
        for (const wchar_t* key :
             {L".trxtest", L"trxtestfile", L"trxtestfile\\shell\\open\\command", L"trxtestfile\\DefaultIcon"}) {
            if (!out.empty())
                out += '|';
            out += readValue(root, prefix + key, nullptr).value_or("<none>");
        }
        return out;
    }
};

TEST_F(SetFileType, KeysMachineWideElsePerUser)
{
    const std::string command = OpenCommand("C:\\Programme\\Tresorix\\TRESORIX.EXE");
    const std::string icon = "|C:\\Programme\\Tresorix\\TRESORIX.EXE,0";
    std::string failed = "x";
    EXPECT_TRUE(RegisterFileType("trxtest", "Tresorix Sicherungs-Set", command, failed));
    EXPECT_EQ(defaults(HKEY_CLASSES_ROOT, L""), "trxtestfile|Tresorix Sicherungs-Set|" + command + icon);
    EXPECT_TRUE(RegisterFileType(".trxtest", "Neu", command, failed)) << "again at the next start";
    EXPECT_EQ(defaults(HKEY_CLASSES_ROOT, L""), "trxtestfile|Neu|" + command + icon);
    EXPECT_EQ(defaults(HKEY_CURRENT_USER, L"Software\\Classes\\"), "<none>|<none>|<none>|<none>");

    {
        Unwritable closed(HKEY_CLASSES_ROOT);
        EXPECT_TRUE(RegisterFileType("trxtest", "Benutzer", command, failed));
    }
    EXPECT_EQ(defaults(HKEY_CURRENT_USER, L"Software\\Classes\\"), "trxtestfile|Benutzer|" + command + icon);

    // Neither: the failure names the value, here a default value.
    Unwritable machineClosed(HKEY_CLASSES_ROOT), userClosed(HKEY_CURRENT_USER);
    EXPECT_FALSE(RegisterFileType("trxtest", "Beschreibung", command, failed));
    EXPECT_EQ(failed, "");
}

// Keys that this user may read but not write, until the end of the scope.
class ReadOnlyKeys {
public:
    ReadOnlyKeys(HKEY root, std::initializer_list<const wchar_t*> paths)
    {
        for (const wchar_t* path : paths) {
            HKEY key = nullptr;
            EXPECT_EQ(RegOpenKeyExW(root, path, 0, READ_CONTROL | WRITE_DAC, &key), ERROR_SUCCESS);
            keys_.push_back(key);
            set(key, L"D:P(A;;KR;;;WD)");
        }
    }
    ~ReadOnlyKeys()
    {
        for (HKEY key : keys_) {
            set(key, L"D:P(A;;KA;;;WD)");
            RegCloseKey(key);
        }
    }
    ReadOnlyKeys(const ReadOnlyKeys&) = delete;
    ReadOnlyKeys& operator=(const ReadOnlyKeys&) = delete;

private:
    static void set(HKEY key, const wchar_t* sddl)
    {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr));
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        LocalFree(sd);
    }
    std::vector<HKEY> keys_;
};

// A start that finds the type in place writes nothing: told of a change at
// every start, Explorer would rebuild its icons each time.
TEST_F(SetFileType, FoundInPlaceIsNotWrittenAgain)
{
    const std::string command = OpenCommand("C:\\Programme\\Tresorix\\TRESORIX.EXE");
    std::string failed;
    ASSERT_TRUE(RegisterFileType("trxtest", "Tresorix Sicherungs-Set", command, failed));
    // A write from now on fails over to the user's classes.
    ReadOnlyKeys readOnly(HKEY_CLASSES_ROOT, {L".trxtest", L"trxtestfile", L"trxtestfile\\shell\\open\\command",
                                              L"trxtestfile\\DefaultIcon"});
    EXPECT_TRUE(RegisterFileType("trxtest", "Tresorix Sicherungs-Set", command, failed));
    EXPECT_EQ(defaults(HKEY_CURRENT_USER, L"Software\\Classes\\"), "<none>|<none>|<none>|<none>");
    // The program moved: its command is written.
    const std::string moved = OpenCommand("D:\\TRESORIX.EXE");
    EXPECT_TRUE(RegisterFileType("trxtest", "Tresorix Sicherungs-Set", moved, failed));
    EXPECT_EQ(defaults(HKEY_CURRENT_USER, L"Software\\Classes\\"), "trxtestfile|Tresorix Sicherungs-Set|" + moved + "|D:\\TRESORIX.EXE,0");
}

}  // namespace
}  // namespace tresorix
