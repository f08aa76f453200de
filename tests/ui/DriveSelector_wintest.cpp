// The drive selector's entries, from drives that no test machine has: a
// share, a RAM disk, an empty CD-ROM drive.
#include "ui/DriveSelector.h"

#include "ui/Form.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tresorix {
namespace {

struct FakeDrive {
    DriveKind kind;
    std::string label, connection;
};

class FakeDrives : public Drives {
public:
    std::map<char, FakeDrive> drives;

    uint32_t letters() override
    {
        uint32_t bits = 0;
        for (const auto& [letter, drive] : drives)
            bits |= 1u << (letter - 'a');
        return bits;
    }
    DriveKind kind(char letter) override { return drives.at(letter).kind; }
    std::string label(char letter) override { return drives.at(letter).label; }
    std::string connection(char letter) override { return drives.at(letter).connection; }
};

class SelectorForm : public Form {
public:
    static constexpr ControlRow kLayout[] = {
        {"Drives", Kind::comboBox, "", nullptr, 8, 8, 200, 21, 0, mrNone, CBS_DROPDOWNLIST},
    };
    SelectorForm() { create({L"DriveSelectorTest", "Laufwerke", 216, 40}, kLayout); }
};

TEST(DriveSelector, ListsEveryDriveWithWhatNamesIt)
{
    FakeDrives fake;
    fake.drives = {
        // A floppy's label would spin it up; only fixed, CD-ROM and RAM drives are asked.
        {'a', {DriveKind::removable, "DISKETTE", ""}},
        {'c', {DriveKind::fixed, "System", ""}},
        {'d', {DriveKind::cdRom, "", ""}},
        {'n', {DriveKind::remote, "", "\\\\server\\Freigabe"}},
        {'r', {DriveKind::ramDisk, "RAM", ""}},
        {'x', {DriveKind::remote, "", ""}},
    };
    EXPECT_EQ(DriveText(fake, 'C'), "c: [System]");

    SelectorForm form;
    DriveSelector selector;
    selector.attach(form.control(0));
    selector.setDrives(fake);
    int changes = 0;
    selector.OnChange = [&] { ++changes; };
    selector.SetDrive('N');
    selector.fill();
    std::string items;
    for (int i = 0; i < selector.count(); ++i)
        items += selector.item(i) + "|";
    EXPECT_EQ(items, "a:|c: [System]|d:|n: \\\\server\\Freigabe|r: [RAM]|x:|");
    // The drive set before the list was filled is the one selected in it.
    EXPECT_EQ(selector.selected(), 3);
    EXPECT_EQ(selector.Drive(), 'n');
    EXPECT_EQ(changes, 1);

    // A stick plugged in while the dialog shows is listed at once; the
    // drive the user is on stays selected.
    fake.drives['e'] = {DriveKind::removable, "", ""};
    selector.deviceChanged(0x0007);  // DBT_DEVNODES_CHANGED: nothing came or went yet
    EXPECT_EQ(selector.count(), 6);
    selector.deviceChanged(0x8000);  // DBT_DEVICEARRIVAL
    EXPECT_EQ(selector.count(), 7);
    EXPECT_EQ(selector.item(selector.selected()), "n: \\\\server\\Freigabe");
    EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace tresorix
