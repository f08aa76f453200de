// The registry as the program uses it: string values under the machine's,
// the user's and the classes' roots. Keys are paths below the root
// ("Software\\Microsoft\\..."), the value name "" is a key's default value,
// and texts are UTF-8. Every call gives the platform's error number, 0 on
// success.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tresorix {

enum class RegistryRoot { machine, user, classes };

class Registry {
public:
    virtual ~Registry() = default;
    // A string value, as stored (not expanded); 2 when key or value is missing,
    // 13 (invalid data) when the value holds no text.
    virtual uint32_t readText(RegistryRoot root, const std::string& key, const std::string& name,
                              std::string& text) = 0;
    // Creates the key where it is missing.
    virtual uint32_t writeText(RegistryRoot root, const std::string& key, const std::string& name,
                               std::string_view text) = 0;
    // 2 when key or value is missing.
    virtual uint32_t deleteValue(RegistryRoot root, const std::string& key, const std::string& name) = 0;
    // Tells the shell that file types changed, so it shows them at once.
    virtual void fileTypesChanged() = 0;
};

class Win32Registry : public Registry {
public:
    uint32_t readText(RegistryRoot root, const std::string& key, const std::string& name, std::string& text) override;
    uint32_t writeText(RegistryRoot root, const std::string& key, const std::string& name,
                       std::string_view text) override;
    uint32_t deleteValue(RegistryRoot root, const std::string& key, const std::string& name) override;
    void fileTypesChanged() override;
};

// The process's one real registry.
Registry& SystemRegistry();

}  // namespace tresorix
