#include "ui/DriveSelector.h"

namespace tresorix {

namespace {

char lowerLetter(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

}  // namespace

uint8_t ProbeDrive(FileSystem& fs, char letter)
{
    const std::string root{letter, ':', '\\'};
    uint32_t error = 0;
    fs.list(root, error);
    // An empty root lists nothing with "no more files" or "file not found";
    // a drive that is there still has a root directory.
    if (error == 18 || error == errFileNotFound) {
        uint32_t attributes = 0;
        if (fs.getAttributes(root, attributes) == 0 && (attributes & attrDirectory))
            error = 0;
    }
    return uint8_t(error & 0xFF);
}

std::string DriveText(char letter)
{
    return DriveText(DialogDrives(), letter);
}

std::string DriveText(Drives& drives, char letter)
{
    std::string text{lowerLetter(letter), ':'};
    switch (drives.kind(text[0])) {
    case DriveKind::fixed:
    case DriveKind::cdRom:
    case DriveKind::ramDisk:
        // An empty CD-ROM drive has no label; the letter alone is shown.
        if (std::string label = drives.label(text[0]); !label.empty())
            text.append(" [").append(label).append("]");
        break;
    case DriveKind::remote:
        if (std::string remote = drives.connection(text[0]); !remote.empty())
            text.append(" ").append(remote);
        break;
    default:
        break;
    }
    return text;
}

void DriveSelector::fill() const
{
    clear();
    const uint32_t letters = drives_->letters();
    for (int i = 0; i < 26; ++i)
        if (letters & (1u << i))
            add(DriveText(*drives_, char('a' + i)));
    for (int i = 0; i < count(); ++i)
        if (item(i)[0] == drive_)
            select(i);
}

void DriveSelector::deviceChanged(WPARAM event) const
{
    constexpr WPARAM kArrival = 0x8000, kRemoveComplete = 0x8004;  // DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE
    if (handle() && (event == kArrival || event == kRemoveComplete))
        fill();
}

char DriveSelector::Drive() const
{
    return drive_;
}

void DriveSelector::SetDrive(char letter)
{
    letter = lowerLetter(letter);
    if (letter < 'a' || letter > 'z' || (selected() >= 0 && letter == drive_))
        return;
    drive_ = letter;
    select(-1);
    for (int i = 0; i < count(); ++i)
        if (item(i)[0] == letter)
            select(i);
    if (OnChange)
        OnChange();
}

void DriveSelector::userChanged()
{
    int index = selected();
    if (index < 0)
        return;
    drive_ = item(index)[0];
    if (OnChange)
        OnChange();
}

}  // namespace tresorix
