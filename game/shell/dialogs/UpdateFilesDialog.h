#pragma once

#include "engine/core/List.h"
#include "game/shell/dialogs/UpdateDialog.h"
#include "platform/ui/wx/Dialogs.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IEngine;
class IFile;
class IUpdateFile;

// The modeless "Update Vornhal" window and the update itself: every newer
// file is downloaded into a private temporary folder and checked, the
// data file and the downloads are merged into "game_new.data", and the
// updater of the newest download is copied out and started. Any failure
// is shown and leaves the game as it was.
class UpdateFilesDialog : public UpdateDialog, public Ui::DownloadHandler {
public:
    static constexpr int kCopyBlock = 10240;
    static constexpr const char16_t* kUpdaterEntry = u"updater.exe";
    static constexpr const char16_t* kUpdaterProgram = u"vnupd.exe";
    static constexpr const char16_t* kNewDataFile = u"game_new.data";
    // A package's header; the largest package an update may be.
    static constexpr int kMinPackageBytes = 16;
    static constexpr int kMaxPackageBytes = 1 << 30;

    // updates: the engine's list, borrowed; gameArguments: what the updater
    // starts the game again with.
    UpdateFilesDialog(IEngine* engine, Util::List<IUpdateFile>* updates,
                      std::vector<std::u16string> gameArguments = {});
    ~UpdateFilesDialog() override;

    // Loads "gfx/update2.png" and shows the window.
    void Open();
    void OnInitDialog() override;
    // result: true when the updater was started.
    void Run() override;
    void OnCommand(int id) override;
    void OnCancelPressed() override { OnCommand(kCancel); }

    bool IsRunning() const { return running_; }

private:
    // Shows the box and leaves nothing of the update behind.
    void Fail(const char16_t* text);
    void Discard();
    bool DownloadAll(int current, int* newestVersion, std::u16string* newest);
    bool CopyUpdater(IFile* source, const std::u16string& destination);

    IEngine* engine_;
    bool running_ = false;
    Util::List<IUpdateFile>* updates_;
    std::vector<std::u16string> gameArguments_;
    int width_ = 0;
    int height_ = 0;
    uint32_t* pixels_ = nullptr;
    std::unique_ptr<Ui::DownloadWindow> window_;
    std::u16string folder_;
    std::vector<std::u16string> downloads_;
    bool patched_ = false;
};
