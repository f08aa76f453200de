#include "platform/Registry.h"

#include "platform/TextConv.h"

#include <windows.h>
#include <shlobj.h>

namespace tresorix {

namespace {

HKEY rootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::machine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::user: return HKEY_CURRENT_USER;
    case RegistryRoot::classes: return HKEY_CLASSES_ROOT;
    }
    return HKEY_CURRENT_USER;
}

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

    LSTATUS open(RegistryRoot root, const std::string& path, REGSAM access)
    {
        return RegOpenKeyExW(rootKey(root), Widen(path).c_str(), 0, access, &key_);
    }
    LSTATUS create(RegistryRoot root, const std::string& path)
    {
        return RegCreateKeyExW(rootKey(root), Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                               nullptr, &key_, nullptr);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

uint32_t Win32Registry::readText(RegistryRoot root, const std::string& path, const std::string& name,
                                 std::string& text)
{
    Key key;
    if (LSTATUS status = key.open(root, path, KEY_QUERY_VALUE))
        return uint32_t(status);
    const std::wstring wideName = Widen(name);
    DWORD type = 0, size = 0;
    if (LSTATUS status = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &size))
        return uint32_t(status);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(data.size() * sizeof(wchar_t));
    if (LSTATUS status =
            RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size))
        return uint32_t(status);
    // Stored data need not end in a terminator; cut at the first one there is.
    data.resize(size / sizeof(wchar_t));
    if (size_t end = data.find(L'\0'); end != std::wstring::npos)
        data.resize(end);
    text = Narrow(data);
    return 0;
}

uint32_t Win32Registry::writeText(RegistryRoot root, const std::string& path, const std::string& name,
                                  std::string_view text)
{
    Key key;
    if (LSTATUS status = key.create(root, path))
        return uint32_t(status);
    std::wstring data = Widen(text);
    return uint32_t(RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                   DWORD((data.size() + 1) * sizeof(wchar_t))));
}

uint32_t Win32Registry::deleteValue(RegistryRoot root, const std::string& path, const std::string& name)
{
    Key key;
    if (LSTATUS status = key.open(root, path, KEY_SET_VALUE))
        return uint32_t(status);
    return uint32_t(RegDeleteValueW(key.get(), Widen(name).c_str()));
}

void Win32Registry::fileTypesChanged()
{
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

Registry& SystemRegistry()
{
    static Win32Registry registry;
    return registry;
}

}  // namespace tresorix
