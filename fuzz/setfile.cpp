// Set files come from anywhere (users edit them by hand): reading must
// survive any bytes, and what was read must write out and read back the same.
#include "set/SetFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The reader strips every line and passes over empty and comment lines, so
// only such field texts can come back in place; the others arise only from
// a file that ends inside an entry.
bool writable(const std::string& field)
{
    return !field.empty() && field[0] != '#' && field[0] != ';';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tresorix::SetFileContent first = tresorix::ReadSetFile(bytes);
    tresorix::NotLoadedText(first, "x.tsi");
    std::string written = tresorix::WriteSetFile(first.defaultTarget.value_or(""),
                                                 first.mode.value_or(-1), first.entries);
    tresorix::SetFileContent again = tresorix::ReadSetFile(written);

    if (again.defaultTarget != first.defaultTarget.value_or("") || again.mode != first.mode)
        std::abort();
    for (const tresorix::BackupEntry& entry : first.entries)
        if (!writable(entry.source) || !writable(entry.masks) || !writable(entry.target))
            return 0;
    if (again.entries != first.entries || !again.leftOut.empty() || !again.skipped.empty() ||
        !tresorix::NotLoadedText(again, "x.tsi").empty())
        std::abort();
    return 0;
}
