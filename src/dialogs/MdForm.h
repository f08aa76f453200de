// The create-directory dialog of the target dialog: asks for the name of a
// new directory and creates it with every missing level.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Win32FileSystem.h"
#include "ui/Controls.h"
#include "ui/Form.h"

#include <string>

namespace tresorix {

inline constexpr wchar_t kMdFormClass[] = L"TmdForm";

// Before the dialog opens: the directory in which to create. After a
// successful creation: the full path of the new directory.
inline std::string NewDirectoryPath;

class TmdForm : public Form {
public:
    enum Row { Label1, LbDir, Label2, Edit, BtnErstellen, BtnCancel, kRowCount };

    TmdForm();

    // Creates the directory named in Edit; closes with OK only on success.
    void BtnErstellenClick();

    ::tresorix::Edit edit() const { return item<::tresorix::Edit>(Edit); }
    // LbDir shows the directory in which the new one is made.
    void setDirectory(const std::string& directory);
    // Directories are created through this file system (the real one by default).
    void setFileSystem(FileSystem& fs) { fs_ = &fs; }

protected:
    void onCommand(int row, int code) override;
    bool onMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static constexpr UINT kFocusEdit = WM_APP + 1;

    Win32FileSystem ownFs_;
    FileSystem* fs_ = &ownFs_;
};

}  // namespace tresorix
