#include "platform/Win32FileSystem.h"
#include "platform/AnsweringFileSystem.h"
#include "platform/TextConv.h"
#include "support/win/TempTree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>

namespace tresorix {
namespace {

class Win32FileSystemTest : public testing::Test {
protected:
    void write(const std::string& path, const std::string& data, uint64_t lastWrite = 0)
    {
        std::unique_ptr<OpenFile> file;
        fs.deleteFile(path);
        ASSERT_EQ(fs.createWrite(path, file), 0u) << path;
        uint32_t put = 0;
        ASSERT_EQ(file->write(data.data(), uint32_t(data.size()), put), 0u);
        ASSERT_EQ(put, data.size());
        if (lastWrite) {
            ASSERT_EQ(file->setTimeAndAttributes(lastWrite, attrArchive), 0u);
        }
        ASSERT_EQ(file->close(), 0u);
    }

    std::string read(const std::string& path)
    {
        std::unique_ptr<OpenFile> file;
        EXPECT_EQ(fs.openRead(path, file), 0u) << path;
        std::string data;
        char buffer[7];
        uint32_t got = 0;
        while (file && file->read(buffer, sizeof buffer, got) == 0 && got > 0)
            data.append(buffer, got);
        return data;
    }

    std::map<std::string, FileEntry> listAll(const std::string& directory)
    {
        std::map<std::string, FileEntry> entries;
        uint32_t error = 1;
        auto listing = fs.list(directory, error);
        EXPECT_EQ(error, 0u) << directory;
        FileEntry entry;
        while (listing && listing->next(entry))
            entries[entry.name] = entry;
        return entries;
    }

    // The names in a listing without "." and "..", as "a|b".
    std::string names(const std::string& directory)
    {
        std::string joined;
        for (const auto& [name, entry] : listAll(directory))
            if (name != "." && name != "..")
                joined += (joined.empty() ? "" : "|") + name;
        return joined;
    }

    test::TempTree temp;
    const std::string& dir = temp.root();
    Win32FileSystem fs;
};

TEST_F(Win32FileSystemTest, NamesOutsideCodePage1252)
{
    const std::string name = "Ωμέγα 日本 Привет.txt";
    write(dir + name, "unicode");
    auto entries = listAll(dir);
    EXPECT_EQ(entries.size(), 3u);  // with "." and ".."
    EXPECT_EQ(entries[name].size, 7u);
    EXPECT_EQ(read(dir + name), "unicode");
    FileEntry entry;
    ASSERT_EQ(fs.find(dir + name, entry), 0u);
    EXPECT_EQ(entry.name, name);
}

TEST_F(Win32FileSystemTest, PathsLongerThan260CharactersAndDottedParts)
{
    std::string path = dir;
    while (path.size() < 300) {
        path += std::string(40, 'x') + "\\";
        ASSERT_EQ(fs.createDirectory(path.substr(0, path.size() - 1)), 0u) << path.size();
    }
    const std::string name = std::string(100, 'f') + ".dat";
    write(path + name, "deep", 132682340970000000ull);
    EXPECT_EQ(read(path + "..\\" + path.substr(path.size() - 41) + "./" + name), "deep");
    EXPECT_EQ(listAll(path).count(name), 1u);
    EXPECT_EQ(listAll(path)[name].lastWrite, 132682340970000000ull);
    uint32_t attributes = 0;
    EXPECT_EQ(fs.setAttributes(path + name, attrReadOnly), 0u);
    EXPECT_EQ(fs.getAttributes(path + name, attributes), 0u);
    EXPECT_TRUE(attributes & attrReadOnly);
    EXPECT_EQ(fs.setAttributes(path + name, 0), 0u);
    EXPECT_EQ(fs.renameFile(path + name, path + "renamed", false), 0u);
    EXPECT_EQ(fs.deleteFile(path + "renamed"), 0u);
    uint64_t free = 0;
    EXPECT_EQ(fs.freeSpace(path, free), 0u);
}

// Only "." and ".." are resolved; every other name keeps its dots and
// blanks, and nothing climbs above the drive or the share.
TEST(PrefixedPath, ResolvesDotsAndSeparatorsButNoName)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {LR"(C:/a//b\.\c/)", LR"(\\?\C:\a\b\c\)"},
        {LR"(C:\a\..\..\..\b)", LR"(\\?\C:\b)"},
        {LR"(C:\a\..)", LR"(\\?\C:\)"},
        {LR"(C:\...\data.\note \x..\ )", LR"(\\?\C:\...\data.\note \x..\ )"},
        {LR"(C:\dir.\..\data. .)", LR"(\\?\C:\data. .)"},
        {LR"(\\server\share\..\..\x.)", LR"(\\?\UNC\server\share\x.)"},
        {LR"(//server/share)", LR"(\\?\UNC\server\share\)"},
        {LR"(\\?\C:\x\..\y.)", LR"(\\?\C:\x\..\y.)"},
        {LR"(\\.\COM1)", LR"(\\.\COM1)"},
        {LR"(sub\x)", L""},
        {LR"(\x)", L""},
        {LR"(C:x)", L""},
    };
    for (auto [path, expected] : cases)
        EXPECT_EQ(PrefixedPath(path), expected) << path;
    // The prefix typed with forward slashes is the same prefix.
    EXPECT_EQ(LongPath("//?/C:/a/../b."), LR"(\\?\C:\b.)");
    EXPECT_EQ(LongPath("//?/unc/server/share/x"), LR"(\\?\UNC\server\share\x)");
    // As the user reads it: the same names, without the prefix.
    EXPECT_EQ(AbsolutePath(R"(C:\dir.\..\data. )"), R"(C:\data. )");
    EXPECT_EQ(AbsolutePath(R"(\\server\share\x.)"), R"(\\server\share\x.)");
}

// Names that differ only by what the system strips from a name's end, or by
// what follows their last dot, are files of their own: a backup must not
// read "data" for "data.".
TEST_F(Win32FileSystemTest, NamesEndingInDotsOrBlanksAreFilesOfTheirOwn)
{
    const std::string all[] = {"data", "data.",   "data..",   "note",      "note ",
                               "archiv", "archiv.", "archiv.1", "archiv.1 ."};
    for (const std::string& name : all)
        write(dir + name, "<" + name + ">");
    EXPECT_EQ(names(dir), "archiv|archiv.|archiv.1|archiv.1 .|data|data.|data..|note|note ");
    for (const std::string& name : all) {
        EXPECT_EQ(read(dir + name), "<" + name + ">");
        FileEntry entry;
        ASSERT_EQ(fs.find(dir + name, entry), 0u) << name;
        EXPECT_EQ(entry.size, name.size() + 2) << name;
        EXPECT_EQ(listAll(dir)[name].size, name.size() + 2) << name;
    }

    ASSERT_EQ(fs.setAttributes(dir + "data.", attrReadOnly), 0u);
    uint32_t attributes = 0;
    ASSERT_EQ(fs.getAttributes(dir + "data", attributes), 0u);
    EXPECT_FALSE(attributes & attrReadOnly);
    ASSERT_EQ(fs.setAttributes(dir + "data.", 0), 0u);

    EXPECT_NE(fs.renameFile(dir + "data.", dir + "data", false), 0u);
    for (const std::string& name : all)
        EXPECT_EQ(fs.renameFile(dir + name, dir + "neu-" + name, false), 0u) << name;
    EXPECT_EQ(names(dir), "neu-archiv|neu-archiv.|neu-archiv.1|neu-archiv.1 .|neu-data|neu-data.|neu-data..|neu-note|"
                          "neu-note ");
    for (const std::string name : {"data.", "note", "archiv.1 .", "archiv."})
        EXPECT_EQ(fs.deleteFile(dir + "neu-" + name), 0u) << name;
    EXPECT_EQ(names(dir), "neu-archiv|neu-archiv.1|neu-data|neu-data..|neu-note ");
    for (const std::string name : {"data", "data..", "note ", "archiv", "archiv.1"})
        EXPECT_EQ(read(dir + "neu-" + name), "<" + name + ">");
}

// A directory "dir." beside "dir" is another directory, by its path and
// held open; inside it the held directory keeps every name too.
TEST_F(Win32FileSystemTest, ADirectoryEndingInADotHeldAndByPath)
{
    ASSERT_EQ(fs.createDirectory(dir + "dir"), 0u);
    // Made and held in one step, beside its twin without the dot.
    uint32_t error = 1;
    std::unique_ptr<OpenDirectory> held = fs.makeDirectory(dir + "dir.\\", error);
    ASSERT_EQ(error, 0u);
    ASSERT_TRUE(held);
    FileId plain, dotted;
    ASSERT_EQ(fs.directoryId(dir + "dir", plain), 0u);
    ASSERT_EQ(fs.directoryId(dir + "dir.", dotted), 0u);
    EXPECT_FALSE(plain == dotted);
    write(dir + "dir\\inhalt", "ohne Punkt");
    write(dir + "dir.\\inhalt", "mit Punkt");

    for (const std::string name : {"data", "data.", "data..", "note", "note "}) {
        std::unique_ptr<OpenFile> out;
        ASSERT_EQ(held->createWrite(name, out), 0u) << name;
        uint32_t put = 0;
        ASSERT_EQ(out->write(name.data(), uint32_t(name.size()), put), 0u);
        ASSERT_EQ(out->close(), 0u);
    }
    std::unique_ptr<OpenFile> out;
    EXPECT_EQ(held->createWrite("data.", out), uint32_t(errFileExists));
    EXPECT_NE(held->renameFile("data.", "data", false), 0u);
    EXPECT_EQ(held->renameFile("note ", "neu.", false), 0u);
    EXPECT_EQ(held->renameFile("data..", "note", true), 0u);

    EXPECT_EQ(names(dir + "dir."), "data|data.|inhalt|neu.|note");
    EXPECT_EQ(read(dir + "dir.\\data"), "data");
    EXPECT_EQ(read(dir + "dir.\\data."), "data.");
    EXPECT_EQ(read(dir + "dir.\\note"), "data..");
    EXPECT_EQ(read(dir + "dir.\\neu."), "note ");
    EXPECT_EQ(read(dir + "dir.\\inhalt"), "mit Punkt");
    EXPECT_EQ(fs.deleteFile(dir + "dir.\\data."), 0u);
    EXPECT_EQ(names(dir + "dir."), "data|inhalt|neu.|note");
    EXPECT_EQ(names(dir + "dir"), "inhalt");
    EXPECT_EQ(read(dir + "dir\\inhalt"), "ohne Punkt");
}

// "." and "..", forward and doubled slashes are resolved on the way to the
// name as typed, ".." stops at the drive's root, and relative paths count
// from the current directory and its drive; no name is a device.
TEST_F(Win32FileSystemTest, DotsSlashesAndRelativePathsReachTheNameAsTyped)
{
    write(dir + "data", "ohne Punkt");
    write(dir + "data.", "mit Punkt");
    ASSERT_EQ(fs.createDirectory(dir + "dir."), 0u);
    std::string forward = dir;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    const std::string drive = dir.substr(0, 2);
    const std::string belowRoot = dir.substr(3);

    EXPECT_EQ(read(forward + "dir././/../data."), "mit Punkt");
    EXPECT_EQ(read(drive + "\\..\\..\\" + belowRoot + "data."), "mit Punkt");
    write(forward + "dir./../dir./x.", "x");
    EXPECT_EQ(names(dir + "dir."), "x.");

    wchar_t saved[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir).c_str()));
    const std::string fromHere = read("dir.\\..\\data.");
    const std::string fromDrive = read(drive + "dir.\\x.");
    const std::string fromRoot = read("\\" + belowRoot + "data.");
    write("dir./neu ", "neu");
    SetCurrentDirectoryW(saved);
    EXPECT_EQ(fromHere, "mit Punkt");
    EXPECT_EQ(fromDrive, "x");
    EXPECT_EQ(fromRoot, "mit Punkt");
    EXPECT_EQ(names(dir + "dir."), "neu |x.");

    // Names the system would take for devices are files, also relative ones
    // and directories; only the \\.\ form reaches a device.
    for (const std::string name : {"nul", "nul.txt", "CON", "com1.log", "aux.c", "prn .txt", "lpt1.dat"})
        write(dir + name, "<" + name + ">");
    uint32_t error = 1;
    EXPECT_TRUE(fs.makeDirectory(dir + "AUX\\", error));
    EXPECT_EQ(fs.createDirectory(dir + "dir.\\con"), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir).c_str()));
    const std::string relative = read("NUL.txt");
    write("dir./con/lpt1", "relativ");
    SetCurrentDirectoryW(saved);
    EXPECT_EQ(relative, "<nul.txt>");
    EXPECT_EQ(names(dir), "AUX|CON|aux.c|com1.log|data|data.|dir.|lpt1.dat|nul|nul.txt|prn .txt");
    for (const std::string name : {"nul", "nul.txt", "CON", "com1.log", "aux.c", "prn .txt", "lpt1.dat"}) {
        EXPECT_EQ(read(dir + name), "<" + name + ">");
        EXPECT_EQ(fs.deleteFile(dir + name), 0u) << name;
    }
    EXPECT_EQ(read(dir + "dir.\\con\\lpt1"), "relativ");
    EXPECT_EQ(read("\\\\.\\NUL"), "");
    EXPECT_EQ(names(dir), "AUX|data|data.|dir.");
}

TEST_F(Win32FileSystemTest, Attributes)
{
    write(dir + "h.txt", "");
    ASSERT_EQ(fs.setAttributes(dir + "h.txt", attrHidden | attrSystem | attrReadOnly), 0u);
    ASSERT_EQ(fs.createDirectory(dir + "sub"), 0u);
    auto entries = listAll(dir);
    EXPECT_EQ(entries["h.txt"].attributes & 7, attrHidden | attrSystem | attrReadOnly);
    EXPECT_TRUE(entries["sub"].isDirectory());
    // Listings report bits that cannot be written back; they must not fail.
    ASSERT_EQ(fs.setAttributes(dir + "h.txt", attrArchive | attrDirectory | 0x800), 0u);
    uint32_t attributes = 0;
    ASSERT_EQ(fs.getAttributes(dir + "h.txt", attributes), 0u);
    EXPECT_EQ(attributes & 7, 0u);
}

TEST_F(Win32FileSystemTest, ErrorNumbersAndSharing)
{
    std::unique_ptr<OpenFile> file;
    uint32_t error = 0;
    EXPECT_EQ(fs.openRead(dir + "missing.txt", file), uint32_t(errFileNotFound));
    EXPECT_EQ(fs.openRead(dir + "missing\\x.txt", file), uint32_t(errPathNotFound));
    EXPECT_EQ(fs.list(dir + "missing", error), nullptr);
    EXPECT_EQ(error, uint32_t(errPathNotFound));
    EXPECT_EQ(fs.createDirectory(dir + "d"), 0u);
    EXPECT_EQ(fs.createDirectory(dir + "d"), uint32_t(errAlreadyExists));
    for (const char* taken : {"d\\", "D\\"}) {
        EXPECT_FALSE(fs.makeDirectory(dir + taken, error));
        EXPECT_EQ(error, uint32_t(errAlreadyExists));
    }
    EXPECT_FALSE(fs.makeDirectory(dir + "missing\\d\\", error));
    EXPECT_EQ(error, uint32_t(errPathNotFound));
    // Longer than the system's counted strings hold: cut to 16 bits, this
    // length would have named "d\yyyyy".
    const std::string inD = dir + "d\\";
    std::string tooLong = "yyyyy";
    while (tooLong.size() < 32768 + 4 + 5)
        tooLong += "\\" + std::string(199, 'y');
    tooLong.resize(32768 + 5);
    EXPECT_FALSE(fs.makeDirectory(inD + tooLong + "\\", error));
    EXPECT_EQ(error, 206u);
    EXPECT_EQ(names(dir + "d"), "");
    EXPECT_EQ(fs.deleteFile(dir + "missing.txt"), uint32_t(errFileNotFound));
    uint64_t free = 0;
    EXPECT_NE(fs.freeSpace("\\\\nosuchserver\\share\\", free), 0u);

    write(dir + "one", "1");
    write(dir + "two", "2");
    EXPECT_NE(fs.renameFile(dir + "one", dir + "two", false), 0u);
    EXPECT_EQ(read(dir + "two"), "2");

    // Others may go on reading and writing a file the backup reads.
    ASSERT_EQ(fs.openRead(dir + "one", file), 0u);
    std::unique_ptr<OpenFile> second;
    EXPECT_EQ(fs.openRead(dir + "one", second), 0u);
    HANDLE other = CreateFileW(LongPath(dir + "one").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    CloseHandle(other);
    EXPECT_EQ(file->close(), 0u);
    EXPECT_EQ(file->close(), 0u);
}

TEST_F(Win32FileSystemTest, NothingIsTruncatedAndReplacingIsOneStep)
{
    write(dir + "old", "old");
    std::unique_ptr<OpenFile> file;
    EXPECT_EQ(fs.createWrite(dir + "old", file), uint32_t(errFileExists));
    EXPECT_EQ(read(dir + "old"), "old");

    write(dir + "new", "new and longer");
    EXPECT_NE(fs.renameFile(dir + "new", dir + "old", false), 0u);
    EXPECT_EQ(fs.renameFile(dir + "new", dir + "old", true), 0u);
    EXPECT_EQ(read(dir + "old"), "new and longer");
    EXPECT_EQ(listAll(dir).count("new"), 0u);

    // The open handle tells the size of now, not that of the last listing.
    std::unique_ptr<OpenFile> in;
    ASSERT_EQ(fs.openRead(dir + "old", in), 0u);
    uint64_t size = 0;
    EXPECT_EQ(in->size(size), 0u);
    EXPECT_EQ(size, 14u);
    HANDLE other = CreateFileW(LongPath(dir + "old").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD put = 0;
    WriteFile(other, "grown", 5, &put, nullptr);
    CloseHandle(other);
    EXPECT_EQ(in->size(size), 0u);
    EXPECT_EQ(size, 19u);
}

TEST_F(Win32FileSystemTest, RemovableIsAskedWithoutChangingAnything)
{
    write(dir + "f", "f");
    EXPECT_EQ(fs.probeRemovable(dir + "f"), 0u);
    ASSERT_EQ(fs.setAttributes(dir + "f", attrReadOnly), 0u);
    EXPECT_EQ(fs.probeRemovable(dir + "f"), 0u);
    uint32_t attributes = 0;
    EXPECT_EQ(fs.getAttributes(dir + "f", attributes), 0u);
    EXPECT_TRUE(attributes & attrReadOnly);
    ASSERT_EQ(fs.setAttributes(dir + "f", 0), 0u);

    // Held by a program that shares reading and writing but not deleting.
    HANDLE held = CreateFileW(LongPath(dir + "f").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(fs.probeRemovable(dir + "f"), 32u);
    CloseHandle(held);

    ASSERT_EQ(fs.createDirectory(dir + "d"), 0u);
    EXPECT_NE(fs.probeRemovable(dir + "d"), 0u);
    EXPECT_EQ(fs.probeRemovable(dir + "missing"), uint32_t(errFileNotFound));
}

TEST_F(Win32FileSystemTest, DirectoriesAreKnownUnderEveryName)
{
    ASSERT_EQ(fs.createDirectory(dir + "a"), 0u);
    ASSERT_EQ(fs.createDirectory(dir + "b"), 0u);
    FileId a, sameA, b;
    ASSERT_EQ(fs.directoryId(dir + "a", a), 0u);
    ASSERT_EQ(fs.directoryId(dir + "B\\..\\A\\", sameA), 0u);
    ASSERT_EQ(fs.directoryId(dir + "b", b), 0u);
    EXPECT_TRUE(a == sameA);
    EXPECT_FALSE(a == b);
    EXPECT_EQ(fs.directoryId(dir + "missing", a), uint32_t(errFileNotFound));

    // The index a listing gives, the one its path gives, and the one of the
    // handle it was made with are the same: the walk compares them.
    uint32_t error = 0;
    std::unique_ptr<OpenDirectory> made = fs.makeDirectory(dir + "c\\", error);
    ASSERT_NE(made, nullptr);
    FileId byHandle, byPath;
    ASSERT_EQ(made->index(byHandle), 0u);
    ASSERT_EQ(fs.directoryIndex(dir + "c\\", byPath), 0u);
    auto entries = listAll(dir);
    EXPECT_TRUE(byHandle.known());
    EXPECT_EQ(entries["c"].index, byHandle.index);
    EXPECT_EQ(byPath.index, byHandle.index);
    EXPECT_EQ(entries["a"].index, a.index);
    EXPECT_NE(entries["a"].index, entries["b"].index);
}

TEST_F(Win32FileSystemTest, LastWriteTimeAndPackedLocalTime)
{
    const uint64_t when = 132682340970000000ull;  // 15 June 2021 12:34:57 UTC, an odd second
    write(dir + "t.txt", "t", when);
    FileEntry entry;
    ASSERT_EQ(fs.find(dir + "t.txt", entry), 0u);
    EXPECT_EQ(entry.lastWrite, when);
    EXPECT_EQ(listAll(dir)["t.txt"].dosTime, entry.dosTime);

    FILETIME utc{DWORD(when), DWORD(when >> 32)}, local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &st);
    uint32_t packed = uint32_t(entry.dosTime);
    EXPECT_EQ(packed >> 25, st.wYear - 1980u);
    EXPECT_EQ(packed >> 21 & 15, st.wMonth);
    EXPECT_EQ(packed >> 16 & 31, st.wDay);
    EXPECT_EQ(packed >> 11 & 31, st.wHour);
    EXPECT_EQ(packed >> 5 & 63, st.wMinute);
    EXPECT_EQ(packed & 31, st.wSecond / 2u);

    // 1 July 1975 and 1 July 2110 cannot be packed.
    for (uint64_t outside : {118178784000000000ull, 160780896000000000ull}) {
        write(dir + "t.txt", "t", outside);
        EXPECT_EQ(listAll(dir)["t.txt"].dosTime, 0);
        EXPECT_EQ(listAll(dir)["t.txt"].lastWrite, outside);
    }
}

TEST_F(Win32FileSystemTest, DriveRoot)
{
    const std::string root = dir.substr(0, 3);
    FileEntry entry;
    ASSERT_EQ(fs.find(root, entry), 0u);
    EXPECT_TRUE(entry.isDirectory());
    uint64_t free = 0;
    ASSERT_EQ(fs.freeSpace(root, free), 0u);
    EXPECT_GT(free, 0u);
    EXPECT_EQ(fs.freeSpace(root.substr(0, 2), free), 0u);
}

TEST_F(Win32FileSystemTest, AHeldDirectoryAnswersForItsVolumeLikeItsName)
{
    uint32_t error = 1;
    std::unique_ptr<OpenDirectory> volume = fs.openDirectory(dir, error);
    ASSERT_TRUE(volume);
    EXPECT_EQ(error, 0u);
    uint64_t held = 0, byName = 0;
    ASSERT_EQ(volume->freeSpace(held), 0u);
    ASSERT_EQ(fs.freeSpace(dir, byName), 0u);
    // Others write to this disk meanwhile; units and quota would be far off.
    const uint64_t slack = uint64_t(1) << 30;
    EXPECT_LT(held, byName + slack);
    EXPECT_GT(held + slack, byName);
    EXPECT_FALSE(fs.openDirectory(dir + "fehlt\\", error));
    EXPECT_EQ(error, uint32_t(errFileNotFound));
}

// Inside a held directory names are created and renamed as by their paths,
// with the same errors; deep paths and names beyond ASCII too.
TEST_F(Win32FileSystemTest, AHeldDirectoryCreatesAndRenamesAsItsPathsDo)
{
    std::string deep = dir;
    while (deep.size() < 300) {
        deep += std::string(40, 'y') + "\\";
        ASSERT_EQ(fs.createDirectory(deep.substr(0, deep.size() - 1)), 0u);
    }
    for (const std::string& at : {dir, deep}) {
        uint32_t error = 1;
        std::unique_ptr<OpenDirectory> held = fs.openDirectory(at, error);
        ASSERT_TRUE(held);
        std::unique_ptr<OpenFile> out;
        ASSERT_EQ(held->createWrite("Grüße.~tmp", out), 0u);
        uint32_t put = 0;
        ASSERT_EQ(out->write("neu", 3, put), 0u);
        ASSERT_EQ(out->setTimeAndAttributes(132682340970000000ull, attrArchive), 0u);
        ASSERT_EQ(out->close(), 0u);
        EXPECT_EQ(held->createWrite("GRÜßE.~TMP", out), uint32_t(errFileExists));
        EXPECT_EQ(read(at + "Grüße.~tmp"), "neu");

        write(at + "alt.txt", "alt");
        const uint32_t takenByPath = fs.renameFile(at + "Grüße.~tmp", at + "alt.txt", false);
        EXPECT_NE(takenByPath, 0u);
        EXPECT_EQ(held->renameFile("Grüße.~tmp", "ALT.TXT", false), takenByPath);
        EXPECT_EQ(read(at + "alt.txt"), "alt");
        EXPECT_EQ(held->renameFile("Grüße.~tmp", "alt.txt", true), 0u);
        EXPECT_EQ(read(at + "alt.txt"), "neu");
        EXPECT_EQ(listAll(at)["alt.txt"].lastWrite, 132682340970000000ull);
        EXPECT_EQ(listAll(at).count("Grüße.~tmp"), 0u);
        EXPECT_EQ(held->renameFile("fehlt", "da", false), fs.renameFile(at + "fehlt", at + "da", false));
        EXPECT_EQ(held->renameFile("alt.txt", "Öl", false), 0u);
        EXPECT_EQ(read(at + "Öl"), "neu");

        // A copy still open takes its name, never one that is taken, and
        // keeps the time and attributes it was given.
        ASSERT_EQ(held->createWrite("offen.~tmp", out), 0u);
        ASSERT_EQ(out->write("offen", 5, put), 0u);
        ASSERT_EQ(out->setTimeAndAttributes(132682340970000000ull, attrReadOnly | attrHidden), 0u);
        EXPECT_EQ(held->nameOpenFile(*out, "ÖL"), takenByPath);
        EXPECT_EQ(held->nameOpenFile(*out, "fertig.txt"), 0u);
        ASSERT_EQ(out->close(), 0u);
        EXPECT_EQ(read(at + "Öl"), "neu");
        EXPECT_EQ(read(at + "fertig.txt"), "offen");
        const FileEntry done = listAll(at)["fertig.txt"];
        EXPECT_EQ(done.lastWrite, 132682340970000000ull);
        EXPECT_EQ(done.attributes & (attrReadOnly | attrHidden), attrReadOnly | attrHidden);
        EXPECT_EQ(listAll(at).count("offen.~tmp"), 0u);
        fs.setAttributes(at + "fertig.txt", attrArchive);
    }
}

// A copy stopped for a question goes on where it stopped, through the
// decorator that keeps the windows answering as through the real thing.
TEST_F(Win32FileSystemTest, ACopyGoesOnWhereItStoppedAlsoThroughTheAnsweringDecorator)
{
    const std::string path = dir + "halb.bin";
    write(path, "0123456789");
    AnsweringFileSystem answering(fs, 0);  // every call as the first after a pause
    for (FileSystem* files : {static_cast<FileSystem*>(&fs), static_cast<FileSystem*>(&answering)}) {
        std::unique_ptr<OpenFile> out;
        ASSERT_EQ(files->openWrite(path, out), 0u);
        ASSERT_EQ(out->seek(4), 0u);
        uint32_t put = 0;
        ASSERT_EQ(out->write("ab", 2, put), 0u);
        ASSERT_EQ(out->close(), 0u);
        std::unique_ptr<OpenFile> in;
        ASSERT_EQ(files->openRead(path, in), 0u);
        ASSERT_EQ(in->seek(8), 0u);
        char rest[4] = {};
        uint32_t got = 0;
        ASSERT_EQ(in->read(rest, sizeof rest, got), 0u);
        EXPECT_EQ(std::string(rest, got), "89");
        in->close();
    }
    EXPECT_EQ(read(path), "0123ab6789");
}

TEST_F(Win32FileSystemTest, SizesBeyondFourGigabytes)
{
    HANDLE h = CreateFileW(LongPath(dir + "big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = (int64_t(5) << 30) + 3;
    bool sized = SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    if (!sized)
        GTEST_SKIP() << "no room for a sparse file";
    EXPECT_EQ(listAll(dir)["big.bin"].size, uint64_t(size.QuadPart));
    FileEntry entry;
    ASSERT_EQ(fs.find(dir + "big.bin", entry), 0u);
    EXPECT_EQ(entry.size, uint64_t(size.QuadPart));
}

}  // namespace
}  // namespace tresorix
