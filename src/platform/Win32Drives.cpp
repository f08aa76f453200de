#include "platform/Drives.h"

#include "platform/TextConv.h"

#include <windows.h>
#include <winnetwk.h>

#include <cwchar>

namespace tresorix {

namespace {

std::wstring rootOf(char letter)
{
    return {wchar_t(letter), L':', L'\\'};
}

}  // namespace

uint32_t Win32Drives::letters()
{
    return GetLogicalDrives();
}

DriveKind Win32Drives::kind(char letter)
{
    switch (GetDriveTypeW(rootOf(letter).c_str())) {
    case DRIVE_REMOVABLE: return DriveKind::removable;
    case DRIVE_FIXED: return DriveKind::fixed;
    case DRIVE_REMOTE: return DriveKind::remote;
    case DRIVE_CDROM: return DriveKind::cdRom;
    case DRIVE_RAMDISK: return DriveKind::ramDisk;
    }
    return DriveKind::other;
}

std::string Win32Drives::label(char letter)
{
    wchar_t label[MAX_PATH + 1] = L"";
    // An empty CD-ROM drive would have the system ask for its disc.
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    BOOL ok = GetVolumeInformationW(rootOf(letter).c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
    SetErrorMode(mode);
    return ok ? Narrow(label) : std::string();
}

std::string Win32Drives::connection(char letter)
{
    // Asked for its length first: a share's name may be longer than a path.
    const wchar_t local[] = {wchar_t(letter), L':', 0};
    DWORD size = 0;
    if (WNetGetConnectionW(local, nullptr, &size) != ERROR_MORE_DATA || size == 0)
        return {};
    std::wstring remote(size, L'\0');
    if (WNetGetConnectionW(local, remote.data(), &size) != NO_ERROR)
        return {};
    remote.resize(wcsnlen(remote.c_str(), remote.size()));
    return Narrow(remote);
}

Drives& SystemDrives()
{
    static Win32Drives drives;
    return drives;
}

}  // namespace tresorix
