#include "game/shell/dialogs/UpdateFilesDialog.h"

#include "engine/core/IEngine.h"
#include "engine/core/ITimer.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/web/IUpdateFile.h"
#include "game/shell/dialogs/DialogSettings.h"
#include "game/shell/dialogs/PatchProgressListener.h"
#include "game/shell/dialogs/UpdateProgressListener.h"
#include "platform/os/Process.h"
#include "platform/os/TempFiles.h"
#include "platform/ui/Ui.h"

#include <vector>

namespace {

void ErrorBox(const char16_t* text) { Ui::ShowMessage(u"Error", text, Ui::Icon::Error); }

// Bytes of a file on disk, -1 when it cannot be read.
int64_t DiskSize(IFileManager* files, const std::u16string& path)
{
    std::unique_ptr<IFile> f(files->Open(path.c_str(), kOpenRead, kOpenFullPath | kOpenNoPackage));
    return f ? f->GetSize() : -1;
}

} // namespace

UpdateFilesDialog::UpdateFilesDialog(IEngine* engine, Util::List<IUpdateFile>* updates,
                                     std::vector<std::u16string> gameArguments)
    : engine_(engine), updates_(updates), gameArguments_(std::move(gameArguments))
{
}

UpdateFilesDialog::~UpdateFilesDialog()
{
    window_.reset();
    delete[] pixels_;
}

void UpdateFilesDialog::Open()
{
    if (!engine_->LoadImagePixels(u"gfx/update2.png", &width_, &height_, &pixels_))
        width_ = height_ = 0;
    Ui::Picture picture;
    picture.width = width_;
    picture.height = height_;
    picture.pixels = pixels_;
    window_ = Ui::OpenDownloadWindow(picture, DialogSettings::kFooter, this);
    OnInitDialog();
}

void UpdateFilesDialog::OnInitDialog()
{
    if (window_)
        window_->SetProgress(0);
    running_ = true;
}

void UpdateFilesDialog::OnCommand(int id)
{
    if (id == kCancel)
        running_ = false;
    if (id == kCancel || id == kOk) {
        EndDialog(id);
        if (window_)
            window_->Hide();
    }
}

void UpdateFilesDialog::Fail(const char16_t* text)
{
    ErrorBox(text);
    Discard();
}

void UpdateFilesDialog::Discard()
{
    result = false;
    if (patched_)
        engine_->GetFileManager()->DeleteFile(kNewDataFile);
    patched_ = false;
    if (!folder_.empty())
        Os::RemoveFolderAndFiles(folder_);
    folder_.clear();
    downloads_.clear();
}

bool UpdateFilesDialog::DownloadAll(int current, int* newestVersion, std::u16string* newest)
{
    // A size that no package can have (the list's number saturates at the
    // int's end) would be fetched whole before the check after it refused
    // it: the offer is refused before anything is downloaded.
    int64_t total = 0;
    for (int i = 0; i < updates_->GetCount(); ++i) {
        IUpdateFile* entry = updates_->Get(i);
        if (entry->GetVersion() <= current)
            continue;
        if (entry->GetFileSize() < kMinPackageBytes || entry->GetFileSize() > kMaxPackageBytes) {
            Fail(u"Update file could not be downloaded: the update list gives it no usable size.");
            return false;
        }
        total += entry->GetFileSize();
    }
    std::unique_ptr<ITimer> timer(engine_->CreateTimer());
    UpdateProgressListener listener(this, window_.get(), total, timer.get());
    bool haveNewest = false;
    for (int i = 0; i < updates_->GetCount() && running_; ++i) {
        IUpdateFile* entry = updates_->Get(i);
        if (entry->GetVersion() <= current)
            continue;
        listener.BeginFile(entry->GetName());
        std::u16string path = Os::MakeTempFile(folder_, "vnupdate");
        if (path.empty()) {
            Fail(u"Update file could not be downloaded.");
            return false;
        }
        downloads_.push_back(path);
        if (!haveNewest || entry->GetVersion() > *newestVersion) {
            haveNewest = true;
            *newestVersion = entry->GetVersion();
            *newest = path;
        }
        const bool got = engine_->DownloadFile(entry->GetFileUrl(), path.c_str(), &listener);
        if (!running_)
            break;
        // A file cut short, or other than the list announced, is no update.
        if (!got || DiskSize(engine_->GetFileManager(), path) != entry->GetFileSize()) {
            Fail(u"Update file could not be downloaded.");
            return false;
        }
        listener.AddFinished(entry->GetFileSize());
    }
    if (running_ && !haveNewest) {
        Fail(u"There isn't anything to update.");
        return false;
    }
    return running_;
}

bool UpdateFilesDialog::CopyUpdater(IFile* source, const std::u16string& destination)
{
    // A name no one else can have placed there: the folder is ours alone.
    const int fd = Os::CreateNewFile(destination, 0700);
    if (fd < 0)
        return false;
    std::unique_ptr<IFile> out(engine_->GetFileManager()->OpenHandle(fd, true, 0));
    bool ok = out != nullptr;
    int64_t copied = 0;
    std::vector<char> block(kCopyBlock);
    while (ok) {
        const int got = source->Read(block.data(), kCopyBlock);
        if (got <= 0)
            break;
        ok = out->Write(block.data(), got);
        copied += got;
    }
    ok = ok && copied == source->GetSize() && out->Flush();
    out.reset();
    Os::CloseFile(fd);
    return ok;
}

void UpdateFilesDialog::Run()
{
    result = false;
    if (!window_ || !running_)
        return;
    IFileManager* files = engine_->GetFileManager();
    folder_ = Os::MakePrivateFolder(Os::TempDirectory(), "vnupdate");
    if (folder_.empty()) {
        Fail(u"No temporary directory");
        return;
    }
    const int current = files->GetDataVersion();
    int newestVersion = 0;
    std::u16string newest;
    if (!DownloadAll(current, &newestVersion, &newest)) {
        Discard(); // cancelled, or failed and shown
        return;
    }

    // Without its updater the update could not be finished: check before
    // anything is written.
    std::unique_ptr<IFile> updater(files->OpenInPackage(kUpdaterEntry, newest.c_str()));
    if (!updater) {
        Fail(u"The newest update file holds no updater.");
        return;
    }
    window_->SetStatus(u"Patching data file");
    files->BeginPackage(newestVersion);
    bool merged = files->AddPackageToPackage(u"game.data");
    for (const std::u16string& download : downloads_)
        merged = files->AddPackageToPackage(download.c_str()) && merged;
    PatchProgressListener patch(window_.get());
    patched_ = merged && files->SavePackage(kNewDataFile, &patch);
    if (!patched_) {
        Fail(u"The data file could not be patched.");
        return;
    }

    const char16_t* gameDir = files->GetGameDir();
    if (!gameDir || !*gameDir) {
        Fail(u"Can't get current directory");
        return;
    }
    const std::u16string program = folder_ + u"/" + kUpdaterProgram;
    if (!CopyUpdater(updater.get(), program)) {
        Fail(u"Destination file could not be opened for writing.");
        return;
    }
    updater.reset();
    // The game's own arguments follow a "--", after the command.
    std::vector<std::u16string> arguments = {kUpdaterProgram, newest + u"|" + gameDir};
    if (!gameArguments_.empty()) {
        arguments.push_back(u"--");
        arguments.insert(arguments.end(), gameArguments_.begin(), gameArguments_.end());
    }
    if (!Os::StartProgram(program, arguments)) {
        Fail(u"The updater could not be started.");
        return;
    }
    // The downloads and the updater stay for the updater.
    folder_.clear();
    downloads_.clear();
    patched_ = false;
    result = true;
}
