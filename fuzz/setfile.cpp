// Set files come from anywhere (users edit them by hand): reading must
// survive any bytes, and whatever was read must write out again.
#include "set/SetFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tresorix::SetFileContent content = tresorix::ReadSetFile(bytes);
    std::string written = tresorix::WriteSetFile(content.defaultTarget.value_or(""),
                                                 content.mode.value_or(-1), content.entries);
    tresorix::ReadSetFile(written);
    return 0;
}
