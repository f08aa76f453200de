// A directory of real files for one test, removed with everything in it
// (read-only and hidden files too) when the test ends.
#pragma once

#include <cstdint>
#include <string>

namespace tresorix::test {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The tree's own directory, UTF-8, ending in a backslash.
    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + relative; }

    // Writes a file, creating its directories; relative to root() unless absolute.
    void write(const std::string& relative, const std::string& bytes, uint64_t lastWrite = 0,
               uint32_t attributes = 0) const;
    void mkdir(const std::string& relative) const;

private:
    std::string root_;
};

// Plain Win32 access for checking what the program left on disk.
bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
std::string ReadAll(const std::string& path);
uint64_t LastWrite(const std::string& path);
uint32_t Attributes(const std::string& path);
void SetLastWrite(const std::string& path, uint64_t fileTime);
void SetAttributes(const std::string& path, uint32_t attributes);
// Names in a directory, sorted, without "." and "..".
std::string ListNames(const std::string& directory);
void RemoveTree(const std::string& path);

// The Unix name of a path under Wine; empty on Windows.
std::string UnixPath(const std::string& path);
// Runs a shell command on the Unix side of Wine (to make what Windows calls
// cannot: symbolic links, mounts) and waits for it. Its exit status, or -1
// on Windows or when it did not end within a minute.
int RunUnixShell(const std::string& command);

// FILETIME ticks of a UTC calendar time.
uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second);

}  // namespace tresorix::test
