// Set files come from anywhere (users edit them by hand): reading must
// survive any bytes, and what was read must write out and read back the same,
// its mask lists walking and leaving out what they did.
#include "set/Filters.h"
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

// The writer may put the walk of a list of exclusions alone in front; that
// changes the text, never what the list walks and leaves out.
void checkMaskList(const std::string& masks)
{
    const tresorix::MaskList list = tresorix::ParseMaskList(masks);
    const std::string written = tresorix::WrittenMasks(masks);
    const tresorix::MaskList back = tresorix::ParseMaskList(written);
    if (list.masks.empty() || tresorix::WrittenMasks(written) != written)
        std::abort();
    if (!masks.empty() && (back.masks != list.masks || back.excluded != list.excluded))
        std::abort();
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
    for (tresorix::BackupEntry& entry : first.entries) {
        checkMaskList(entry.masks);
        if (!writable(entry.source) || !writable(entry.masks) || !writable(entry.target))
            return 0;
        entry.masks = tresorix::WrittenMasks(entry.masks);
    }
    if (again.entries != first.entries || !again.leftOut.empty() || !again.skipped.empty() ||
        !tresorix::NotLoadedText(again, "x.tsi").empty())
        std::abort();
    return 0;
}
