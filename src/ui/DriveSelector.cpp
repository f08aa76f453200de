#include "ui/DriveSelector.h"

#include "platform/TextConv.h"

#include <winnetwk.h>

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
    std::string text{lowerLetter(letter), ':'};
    std::wstring root = Widen(text) + L"\\";
    switch (GetDriveTypeW(root.c_str())) {
    case DRIVE_FIXED:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK: {
        wchar_t label[MAX_PATH + 1] = L"";
        // An empty CD-ROM drive has no label; the letter alone is shown.
        UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
        BOOL ok = GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
        SetErrorMode(mode);
        if (ok && *label)
            text.append(" [").append(Narrow(label)).append("]");
        break;
    }
    case DRIVE_REMOTE: {
        // Asked for its length first: a share's name may be longer than a path.
        DWORD size = 0;
        std::wstring local = Widen(text);
        if (WNetGetConnectionW(local.c_str(), nullptr, &size) != ERROR_MORE_DATA || size == 0)
            break;
        std::wstring remote(size, L'\0');
        if (WNetGetConnectionW(local.c_str(), remote.data(), &size) == NO_ERROR && remote[0]) {
            remote.resize(wcsnlen(remote.c_str(), remote.size()));
            text.append(" ").append(Narrow(remote));
        }
        break;
    }
    }
    return text;
}

void DriveSelector::fill() const
{
    clear();
    DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (drives & (1u << i))
            add(DriveText(char('a' + i)));
    for (int i = 0; i < count(); ++i)
        if (item(i)[0] == drive_)
            select(i);
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
