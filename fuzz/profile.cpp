// The settings file is read at every start; a damaged one must still give
// settings, and writing them back must give a file that reads again.
#include "set/Profile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tresorix::Profile profile(bytes);
    tresorix::Settings settings = tresorix::ReadSettings(profile, 1024, 768);
    tresorix::WriteSettings(profile, settings, !settings.maximized, true);
    tresorix::ReadSettings(tresorix::Profile(profile.bytes()), 1024, 768);
    return 0;
}
