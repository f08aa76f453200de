// The create-directory dialog of the target dialog: asks for the name of a
// new directory and creates it with every missing level.
#pragma once

#include "platform/FileSystem.h"
#include "ui/DialogFiles.h"
#include "ui/Controls.h"
#include "ui/Form.h"

#include <optional>
#include <string>

namespace tresorix {

inline constexpr wchar_t kMdFormClass[] = L"TmdForm";

class TmdForm : public Form {
public:
    enum Row { Label1, LbDir, Label2, Edit, BtnErstellen, BtnCancel, kRowCount };

    TmdForm();

    // Shown modally for a new directory in `directory`: the full path of
    // the one made, or nothing after Cancel.
    std::optional<std::string> Create(const std::string& directory);

    // Creates the directory named in Edit (a plain name in the dialog's
    // directory); closes with OK only on success.
    void BtnErstellenClick();
    // Where a plain name is made: the directory given, then the last one
    // made, which is what Create hands back.
    const std::string& directory() const { return directory_; }

    ::tresorix::Edit edit() const { return item<::tresorix::Edit>(Edit); }
    // The directory in which a plain name is made; LbDir shows it.
    void setDirectory(const std::string& directory);
    // Directories are created through this file system (the real one by default).
    void setFileSystem(FileSystem& fs) { fs_ = &fs; }

protected:
    void onCommand(int row, int code) override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void onDpiChanged(int) override { fitToLabels(); }

private:
    static constexpr UINT kFocusEdit = WM_APP + 1;

    void fitToLabels();

    std::string directory_;
    FileSystem* fs_ = &DialogFileSystem();
};

}  // namespace tresorix
