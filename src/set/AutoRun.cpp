#include "set/AutoRun.h"

#include "platform/TextConv.h"
#include "set/CommandLine.h"

#include <windows.h>
#include <shlobj.h>

#include <string_view>
#include <utility>

namespace tresorix {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"Tresorix";
constexpr wchar_t kUserClasses[] = L"Software\\Classes";

class Key {
public:
    Key() = default;
    ~Key()
    {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    LSTATUS open(HKEY root, const std::wstring& path, REGSAM access)
    {
        return RegOpenKeyExW(root, path.c_str(), 0, access, &key_);
    }
    LSTATUS create(HKEY root, const std::wstring& path)
    {
        return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key_,
                               nullptr);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

LSTATUS setText(HKEY key, const wchar_t* name, std::string_view utf8)
{
    std::wstring data = Widen(utf8);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          DWORD((data.size() + 1) * sizeof(wchar_t)));
}

// The text of a string value; false when there is none.
bool readText(HKEY root, const wchar_t* path, const wchar_t* name, std::string& text)
{
    Key key;
    if (key.open(root, path, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    // Stored data need not end in a terminator; cut at the first one there is.
    data.resize(size / sizeof(wchar_t));
    if (size_t end = data.find(L'\0'); end != std::wstring::npos)
        data.resize(end);
    text = Narrow(data);
    return true;
}

bool writeRunValue(HKEY root, const std::string& command)
{
    Key key;
    return key.create(root, kRunKey) == ERROR_SUCCESS && setText(key.get(), kValueName, command) == ERROR_SUCCESS;
}

// True when no value is left behind under this root.
bool deleteRunValue(HKEY root)
{
    Key key;
    LSTATUS status = key.open(root, kRunKey, KEY_SET_VALUE);
    if (status == ERROR_SUCCESS) {
        status = RegDeleteValueW(key.get(), kValueName);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    // The key may be closed to us and still hold nothing of ours.
    std::string ignored;
    return !readText(root, kRunKey, kValueName, ignored);
}

// The three keys of the set-file type under one root; false at the first
// value that cannot be written. A value that already holds its text is
// left as it is, and `changed` tells whether any was written.
bool writeFileType(HKEY root, const std::wstring& prefix, const std::string& extension, const std::string& className,
                   const std::string& description, const std::string& command, bool& changed)
{
    const std::pair<std::string, const std::string&> keys[] = {
        {extension, className},
        {className, description},
        {className + "\\shell\\open\\command", command},
    };
    for (const auto& [path, data] : keys) {
        const std::wstring keyPath = prefix + Widen(path);
        std::string stored;
        if (readText(root, keyPath.c_str(), nullptr, stored) && stored == data)
            continue;
        Key key;
        if (key.create(root, keyPath) != ERROR_SUCCESS || setText(key.get(), nullptr, data) != ERROR_SUCCESS)
            return false;
        changed = true;
    }
    return true;
}

}  // namespace

bool AutoRunMatches(const std::string& programPath)
{
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        std::string value;
        if (readText(root, kRunKey, kValueName, value) && AutoRunStartsProgram(value, programPath))
            return true;
    }
    return false;
}

AutoRunResult UpdateAutoRun(bool enabled, const std::string& command)
{
    if (!enabled) {
        bool machine = deleteRunValue(HKEY_LOCAL_MACHINE);
        bool user = deleteRunValue(HKEY_CURRENT_USER);
        return machine && user ? AutoRunResult::done : AutoRunResult::notRemoved;
    }
    // Windows runs both Run keys: a value left under the other one would
    // start the program twice.
    if (writeRunValue(HKEY_LOCAL_MACHINE, command)) {
        deleteRunValue(HKEY_CURRENT_USER);
        return AutoRunResult::done;
    }
    // A machine-wide value from an elevated start that this user cannot
    // change still starts the program; a second one of the user's would
    // start it twice.
    std::string machineValue;
    if (readText(HKEY_LOCAL_MACHINE, kRunKey, kValueName, machineValue))
        return machineValue == command ? AutoRunResult::done : AutoRunResult::notWritten;
    return writeRunValue(HKEY_CURRENT_USER, command) ? AutoRunResult::done : AutoRunResult::notWritten;
}

std::string AutoRunFailureText(AutoRunResult result)
{
    switch (result) {
    case AutoRunResult::notWritten:
        return "Tresorix konnte nicht für den Start mit Windows eingetragen werden.";
    case AutoRunResult::notRemoved:
        return "Der Eintrag für den Start mit Windows konnte nicht entfernt werden; Tresorix startet weiter mit "
               "Windows. Er wurde mit Administratorrechten angelegt und lässt sich nur so wieder entfernen.";
    case AutoRunResult::done:
        break;
    }
    return {};
}

bool RegisterFileType(std::string extension, const std::string& description, const std::string& command,
                      std::string& failedValue)
{
    failedValue.clear();
    extension = FileTypeExtension(extension);
    std::string className = FileTypeClass(extension);
    // Wine does not show the per-user classes under HKEY_CLASSES_ROOT, so the
    // machine-wide keys come first even where Windows would merge both.
    const std::wstring userClasses = std::wstring(kUserClasses) + L"\\";
    bool changed = false;
    if (writeFileType(HKEY_CLASSES_ROOT, L"", extension, className, description, command, changed) ||
        writeFileType(HKEY_CURRENT_USER, userClasses, extension, className, description, command, changed)) {
        // Explorer shows a new type or command at once, not after a logon.
        // Told of every start, it would rebuild its icons each time, and
        // Wine would start its menu builder beside the run.
        if (changed)
            SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
        return true;
    }
    // Every value written here is a key's default value, whose name is empty.
    failedValue = "";
    return false;
}

bool IsLargeFonts()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi == 120;
}

}  // namespace tresorix
