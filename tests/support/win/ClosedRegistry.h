// A predefined registry root as a user without administrator rights sees
// it: it points at a volatile key, under which no lasting key can be made.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

namespace tresorix::test {

class ClosedRegistryRoot {
public:
    explicit ClosedRegistryRoot(HKEY root) : root_(root)
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &volatile_, nullptr);
        EXPECT_EQ(RegOverridePredefKey(root, volatile_), ERROR_SUCCESS);
    }
    ~ClosedRegistryRoot()
    {
        RegOverridePredefKey(root_, nullptr);
        RegCloseKey(volatile_);
        RegDeleteKeyW(HKEY_CURRENT_USER, name_.c_str());
    }
    ClosedRegistryRoot(const ClosedRegistryRoot&) = delete;
    ClosedRegistryRoot& operator=(const ClosedRegistryRoot&) = delete;

private:
    HKEY root_, volatile_ = nullptr;
    std::wstring name_ = L"Software\\TresorixTest" + std::to_wstring(uintptr_t(root_) & 0xff);
};

}  // namespace tresorix::test
