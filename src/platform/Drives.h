// The machine's drive letters as the selection dialogs show them: which
// exist, of what kind, and what names them.
#pragma once

#include <cstdint>
#include <string>

namespace tresorix {

enum class DriveKind { other, removable, fixed, remote, cdRom, ramDisk };

class Drives {
public:
    virtual ~Drives() = default;
    // Bit 0 for A: to bit 25 for Z:, set where the letter is in use.
    virtual uint32_t letters() = 0;
    virtual DriveKind kind(char letter) = 0;
    // The volume's label; empty without one, and for a drive without its
    // medium, which is never asked for.
    virtual std::string label(char letter) = 0;
    // A network drive's connection ("\\server\share"); empty when there is none.
    virtual std::string connection(char letter) = 0;
};

class Win32Drives : public Drives {
public:
    uint32_t letters() override;
    DriveKind kind(char letter) override;
    std::string label(char letter) override;
    std::string connection(char letter) override;
};

// The process's one real set of drives.
Drives& SystemDrives();

}  // namespace tresorix
