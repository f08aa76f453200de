#include "engine/Backup.h"

#include "engine/FileHelpers.h"
#include "engine/Format.h"
#include "ui/Prompts.h"

#include <algorithm>
#include <memory>

namespace tresorix {

namespace {

constexpr uint32_t kBufferSize = 65536;
constexpr uint32_t kCopiedAttributes = attrReadOnly | attrHidden | attrSystem | attrArchive;

enum : uint16_t { stateGoOn = 0, stateSkip = 5, stateDirFailed = 82, stateChangeMedium = 253 };

// Removes the first occurrence of `placeholder` and a backslash right after
// it, and puts `insert` in its place.
void replacePlaceholder(std::string& text, std::string_view placeholder, const std::string& insert)
{
    size_t at = text.find(placeholder);
    if (at == std::string::npos)
        return;
    text.erase(at, placeholder.size());
    if (at < text.size() && text[at] == '\\')
        text.erase(at, 1);
    text.insert(at, insert);
}

bool isNetworkPath(const std::string& path)
{
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

// The root whose free space counts: "X:\" or, for a share, "\\server\share\".
std::string volumeRoot(const std::string& target)
{
    if (isNetworkPath(target)) {
        size_t server = target.find('\\', 2);
        size_t share = server == std::string::npos ? server : target.find('\\', server + 1);
        return share == std::string::npos ? AddBackslash(target) : target.substr(0, share + 1);
    }
    return std::string(1, target.empty() ? '?' : target[0]) + ":\\";
}

// How the prompts name the target drive: "D:" or "\\server\share".
std::string volumeName(const std::string& target)
{
    std::string root = volumeRoot(target);
    root.pop_back();
    return root;
}

bool listedInMdListe(const std::vector<std::string>& list, const std::string& upper)
{
    return std::find(list.begin(), list.end(), upper) != list.end();
}

}  // namespace

std::string ResolveTarget(const std::string& text, const std::string& source, const std::string& stdZiel)
{
    std::string result = text;
    replacePlaceholder(result, "<Standardziel>", AddBackslash(stdZiel));
    replacePlaceholder(result, "<Lw>", std::string("\\") + (source.empty() ? '\\' : source[0]) + "\\");
    size_t firstSlash = source.find('\\');
    std::string path = firstSlash == std::string::npos ? std::string() : source.substr(firstSlash + 1);
    replacePlaceholder(result, "<Quellpfad>", std::string("\\").append(AddBackslash(path)));
    result = AddBackslash(result);
    // A doubled backslash at the very start names a share and stays.
    for (size_t pair; (pair = result.find("\\\\", 1)) != std::string::npos;)
        result.erase(pair, 1);
    return result;
}

bool SourceIsNewer(const FileEntry& source, const FileEntry& target)
{
    // Unsigned: packed dates from 2044 on have the top bit set.
    if (source.dosTime != 0 && target.dosTime != 0)
        return uint32_t(source.dosTime) > uint32_t(target.dosTime);
    constexpr uint64_t twoSeconds = 20'000'000;
    return source.lastWrite / twoSeconds > target.lastWrite / twoSeconds;
}

uint16_t BackupRun::ask(bool confirm, const std::string& text, uint32_t buttons)
{
    view_.flush();
    return confirm ? AskConfirm(text, buttons) : AskInfo(text, buttons);
}

RunOutcome BackupRun::BackUpStart(const RunSettings& settings)
{
    state_ = RunState{};
    sourceFailed_ = false;
    freeKnown_ = false;
    mode_ = settings.mode;
    view_.setChecked(0, 0);
    view_.setSaved(0, 0);

    for (const BackupEntry& entry : settings.entries) {
        state_.store(0);
        std::string rest = entry.masks;
        do {
            std::string mask;
            size_t semicolon = rest.find(';');
            if (semicolon != std::string::npos) {
                mask = rest.substr(0, semicolon);
                rest.erase(0, semicolon + 1);
            } else {
                mask = std::move(rest);
                rest.clear();
            }
            TrimSpaces(mask, true, true);
            std::string source = AddBackslash(entry.source);
            std::string target = ResolveTarget(entry.target, source, settings.stdZiel);
            state_.store(0);
            BackupDirectory(source, mask, target, HasSubdirs(entry.subdirs));
            if (sourceFailed_) {
                view_.flush();
                return RunOutcome::sourceFailed;
            }
        } while (!rest.empty() && !state_.cancelled());
        if (state_.cancelled())
            break;
    }

    view_.flush();
    if (state_.cancelled()) {
        view_.setStatusText("Backup wurde durch Nutzer abgebrochen.");
        return RunOutcome::cancelled;
    }
    view_.setStatusText("Backup beendet.   " + FormatBytes(state_.savedBytes) + " von " +
                        FormatBytes(state_.checkedBytes) + " wurden gesichert.");
    if (settings.showSummary) {
        view_.flush();
        AskInfo("Backup beendet.\r\n" + std::to_string(state_.savedFiles) + " Dateien wurden gesichert.\r\n" +
                    "\r\ngeprüft :     " + FormatBytes(state_.checkedBytes) + "  (" +
                    GroupDigits(int64_t(state_.checkedBytes), " ") + " Bytes)    " + "\r\ngesichert :  " +
                    FormatBytes(state_.savedBytes) + "  (" + GroupDigits(int64_t(state_.savedBytes), " ") +
                    " Bytes)",
                btnOK);
    }
    return RunOutcome::finished;
}

void BackupRun::BackupDirectory(const std::string& source, const std::string& mask, const std::string& target,
                                bool recurse)
{
    view_.processMessages();
    if (state_.cancelled())
        return;
    view_.setFile("");
    view_.setSource("");
    view_.setTarget("");
    view_.setFileProgress(0);
    view_.setDirProgress(0);

    std::string upperSource = UpperCaseUmlaut(source);
    if (UpperCaseUmlaut(target) == upperSource) {
        skipDirectory("Fehler: Zielverzeichnis und Quellverzeichnis sind identisch.", source, target,
                      state_.skipSameDirPrompt);
    } else if (listedInMdListe(state_.MdListe, upperSource)) {
        skipDirectory("Fehler: Verzeichnis kann nicht rekursiv in sich selbst kopiert werden.", source, target,
                      state_.skipRecursionPrompt);
    } else {
        uint32_t error = FillFileList(fs_, fileList_, source, mask);
        if (error != 0) {
            sourceFailed_ = true;
            view_.flush();
            ShowInfo("Fehler: Konnte nicht in das Quellverzeichnis \"" + source + "\" wechseln.\r\nFehlermeldung: " +
                     ErrorText(uint16_t(error)));
            return;
        }
        uint64_t dirCount = fileList_.count();
        view_.setDirProgress(0);
        view_.setSource(source + mask);
        uint64_t dirDone = 0;
        // The subdirectories' walks refill the list.
        const std::vector<FileEntry> files = fileList_.entries();
        for (const FileEntry& entry : files) {
            bool again = false;
            do {
                view_.processMessages();
                if (state_.cancelled())
                    return;
                view_.setTarget(target);
                state_.store(0);
                view_.setStatusText(source + entry.name);
                view_.setFile(entry.name);
                if (!again) {
                    ++state_.checkedFiles;
                    state_.checkedBytes += entry.size;
                    ++dirDone;
                    view_.setChecked(state_.checkedFiles, state_.checkedBytes);
                    view_.setFileProgress(0);
                    view_.bringToFront();
                    view_.processMessages();
                }
                again = BackupFile(source, target, entry, dirDone, dirCount);
            } while (again);
            if (state_.cancelled())
                break;
        }
        view_.flush();
    }

    if (!recurse || state_.cancelled())
        return;
    uint32_t listError = 0;
    std::unique_ptr<FileListing> subdirs = fs_.list(source, listError);
    FileEntry entry;
    while (subdirs && !state_.cancelled() && !sourceFailed_ && subdirs->next(entry)) {
        if (entry.isDirectory() && entry.name != "." && entry.name != "..")
            BackupDirectory(source + entry.name + "\\", mask, target + entry.name + "\\", recurse);
    }
}

// Tells why a directory's files are skipped, unless All silenced that reason.
void BackupRun::skipDirectory(const std::string& reason, const std::string& source, const std::string& target,
                              bool& silenced)
{
    if (silenced)
        return;
    state_.store(ask(false,
                     reason + "\r\nQuellverzeichnis: " + source + "\r\nZielverzeichnis:    " + target +
                         "\r\nDieses Verzeichnis wird übersprungen.",
                     btnOK | btnCancel | btnAll));
    if (state_.answer == mrAll)
        silenced = true;
}

bool BackupRun::BackupFile(const std::string& source, const std::string& target, const FileEntry& file,
                           uint64_t dirDone, uint64_t dirCount)
{
    const std::string sourceFile = source + file.name;
    const std::string targetFile = target + file.name;
    uint16_t fileState = stateGoOn;
    auto goOn = [&] { return fileState == stateGoOn && !state_.cancelled(); };

    // 1. The source, shared so that nobody is locked out while we read.
    std::unique_ptr<OpenFile> in;
    while (!state_.cancelled()) {
        state_.store(0);
        fileState = stateGoOn;
        if (fs_.openRead(sourceFile, in) == 0)
            break;
        state_.store(ask(false,
                         "Fehler: Zugriff auf Quelldatei \"" + sourceFile + "\" verweigert.\r\n" +
                             "Schließen Sie die zugehörige Anwendung und klicken Sie auf \"Wiederholen\"" +
                             "\r\noder klicken Sie auf \"OK\", um diese Datei zu überspringen.",
                         btnOK | btnCancel | btnRetry));
        fileState = stateSkip;
        if (state_.answer == mrOk || state_.cancelled())
            break;
    }

    if (goOn())
        ensureTargetDirectory(target, fileState);
    if (goOn())
        resolveConflict(targetFile, file, fileState);
    if (goOn())
        checkFreeSpace(target, file, fileState);

    if (goOn()) {
        view_.setDirProgress(dirCount ? int(dirDone * 100 / dirCount) : 0);
        view_.processMessages();
        // A cancel that came in now must not leave an empty copy behind.
        if (!state_.cancelled() && copyFile(*in, sourceFile, targetFile, file)) {
            spent(file.size);
            ++state_.savedFiles;
            state_.savedBytes += file.size;
        }
    }

    view_.setSaved(state_.savedFiles, state_.savedBytes);
    if (in)
        in->close();
    return fileState == stateChangeMedium;
}

void BackupRun::ensureTargetDirectory(const std::string& target, uint16_t& fileState)
{
    uint32_t code = 0;
    if (DirectoryPresent(fs_, target, code))
        return;
    std::string prefix;
    fileState = stateGoOn;
    while ((prefix != target || fileState == stateDirFailed) && !state_.cancelled() && state_.answer != mrNo) {
        if (fileState != stateDirFailed) {
            size_t end = target.find('\\', prefix.size());
            prefix = end == std::string::npos ? target : target.substr(0, end + 1);
        }
        bool existed = DirectoryPresent(fs_, prefix, code);
        uint32_t result = ForceDirectory(fs_, prefix);
        fileState = uint16_t(result);
        if (result == 0) {
            std::string upper = UpperCaseUmlaut(prefix);
            if (!existed && !listedInMdListe(state_.MdListe, upper))
                state_.MdListe.push_back(std::move(upper));
        } else {
            state_.store(ask(true,
                             "Konnte Verzeichnis \"" + prefix + "\" nicht anlegen bzw. überprüfen." +
                                 "\r\nFehlermeldung: " + ErrorText(uint16_t(result)) + "\r\nErneut versuchen ?",
                             btnYes | btnNo | btnCancel));
            fileState = stateDirFailed;
        }
    }
    // No: go on as if the directory were there; creating the copy will tell.
    if (state_.answer == mrNo)
        fileState = stateGoOn;
}

void BackupRun::resolveConflict(const std::string& targetFile, const FileEntry& file, uint16_t& fileState)
{
    bool removed;
    do {
        removed = true;
        fileState = stateGoOn;
        FileEntry existing;
        if (fs_.find(targetFile, existing) != 0)
            break;
        removed = false;
        switch (mode_) {
        case 1:
            removed = DeleteFileForced(fs_, targetFile);
            break;
        case 2:
            fileState = stateSkip;
            break;
        case 3:
            state_.store(ask(true,
                             "Zieldatei  " + targetFile + "  überschreiben ?" + "\r\nQuelldatei:  " +
                                 FormatDosDateTime(file.dosTime) + "     " + std::to_string(file.size) + " bytes" +
                                 "\r\nZieldatei:    " + FormatDosDateTime(existing.dosTime) + "     " +
                                 std::to_string(existing.size) + " bytes",
                             btnYes | btnNo | btnCancel));
            if (state_.answer == mrYes)
                removed = DeleteFileForced(fs_, targetFile);
            else
                fileState = stateSkip;
            break;
        default:  // 0, and no mode selected at all
            if (SourceIsNewer(file, existing))
                removed = DeleteFileForced(fs_, targetFile);
            else
                fileState = stateSkip;
            break;
        }
        if (!removed && fileState != stateSkip) {
            uint16_t result = ask(false,
                                  "Konnte bereits vorhandene Zieldatei nicht löschen.\r\nDateiname: " + targetFile +
                                      "\r\nFehlermeldung: " + ErrorText(65) + "\r\nLöschversuch wiederholen ?",
                                  btnYes | btnNo | btnCancel);
            if (result == mrCancel)
                state_.store(mrCancel);
            else if (result == mrNo)
                fileState = stateSkip;
        }
    } while (!removed && !state_.cancelled() && fileState != stateSkip);
}

// Asking the volume for every file costs a round trip to the system, so the
// last answer is kept and reduced by what the run writes, generously rounded
// up for clusters and directory entries. Only a fresh answer says "too little".
bool BackupRun::roomFor(const std::string& root, uint64_t size)
{
    if (freeKnown_ && freeRoot_ == root && size <= freeBytes_)
        return true;
    freeKnown_ = fs_.freeSpace(root, freeBytes_) == 0;
    freeRoot_ = root;
    return freeKnown_ && size <= freeBytes_;
}

void BackupRun::spent(uint64_t size)
{
    constexpr uint64_t slack = 65536;
    uint64_t used = (size + slack - 1) / slack * slack + slack;
    freeBytes_ = used < freeBytes_ ? freeBytes_ - used : 0;
}

void BackupRun::checkFreeSpace(const std::string& target, const FileEntry& file, uint16_t& fileState)
{
    const std::string root = volumeRoot(target);
    for (;;) {
        state_.store(0);
        fileState = stateGoOn;
        bool tooSmall = !roomFor(root, file.size);
        if (tooSmall) {
            if (DriveReady(fs_, target)) {
                state_.store(ask(true,
                                 "Nicht genug Platz auf Ziellaufwerk " + volumeName(target) + " " +
                                     "\r\nBitte wechseln!",
                                 btnOK | btnCancel));
                fileState = stateChangeMedium;
            } else {
                state_.store(ask(true,
                                 "Konnte freien Platz auf Ziellaufwerk " + volumeName(target) + " nicht ermitteln." +
                                     "\r\nLaufwerk ist nicht bereit." + "\r\nErneut versuchen ?",
                                 btnYes | btnNo | btnCancel));
            }
        }
        if (state_.cancelled() || state_.answer == mrNo || fileState == stateChangeMedium)
            return;
        if (!tooSmall)
            return;
    }
}

// Writes the copy under a temporary name and gives it the real one only when
// its bytes, time and attributes are complete, so that an interrupted copy is
// never taken for a finished one.
bool BackupRun::copyFile(OpenFile& in, const std::string& sourceFile, const std::string& targetFile,
                         const FileEntry& file)
{
    const std::string directory = targetFile.substr(0, targetFile.rfind('\\') + 1);
    const std::string tempFile = directory + "~tresorix" + std::to_string(++tempCounter_) + ".tmp";

    std::unique_ptr<OpenFile> out;
    for (;;) {
        state_.store(0);
        uint32_t error = fs_.createWrite(tempFile, out);
        if (error == 0)
            break;
        state_.store(ask(true,
                         "Konnte Zieldatei \"" + targetFile + "\" nicht anlegen." + "\r\nFehler: " +
                             ErrorText(uint16_t(error)) + "\r\nErneut versuchen ?",
                         btnYes | btnNo | btnCancel));
        if (state_.cancelled() || state_.answer == mrNo)
            return false;
    }

    auto buffer = std::make_unique<char[]>(kBufferSize);
    uint64_t copied = 0;
    uint32_t shortBy = 0;
    bool failed = false;
    while (shortBy == 0 && copied < file.size) {
        uint32_t got = 0, put = 0;
        if (in.read(buffer.get(), kBufferSize, got) != 0) {
            failed = true;
            break;
        }
        if (got == 0)  // the file shrank while we read it
            break;
        copied += got;
        if (out->write(buffer.get(), got, put) != 0) {
            failed = true;
            break;
        }
        shortBy = got - put;
        view_.setFileProgress(int(copied * 100 / file.size));
        view_.bringToFront();
    }

    if (!failed && shortBy == 0)
        out->setLastWriteTime(file.lastWrite);
    failed = out->close() != 0 || failed;
    if (!failed && shortBy == 0) {
        failed = fs_.renameFile(tempFile, targetFile) != 0;
        // A new file has the archive bit and nothing else already.
        if (!failed && (file.attributes & kCopiedAttributes) != attrArchive)
            fs_.setAttributes(targetFile, file.attributes);
    }
    if (shortBy != 0) {
        DeleteFileForced(fs_, tempFile);
        ask(false,
            "Fehler: Von der Datei \"" + targetFile + "\" konnten " + std::to_string(shortBy) +
                " bytes nicht geschrieben werden.",
            btnOK);
        return false;
    }
    if (failed) {
        DeleteFileForced(fs_, tempFile);
        ask(false, "Fehler: Konnte Datei \"" + sourceFile + "\" nicht kopieren.", btnOK);
        return false;
    }
    return true;
}

}  // namespace tresorix
