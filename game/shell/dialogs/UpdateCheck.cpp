#include "game/shell/dialogs/UpdateCheck.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFileManager.h"
#include "engine/web/IUpdateFile.h"
#include "game/shell/dialogs/NewVersionDialog.h"
#include "game/shell/dialogs/UpdateFilesDialog.h"
#include "platform/ui/wx/Dialogs.h"

#include <cstdlib>

std::u16string BuildReleaseNotes(Util::List<IUpdateFile>* updates, int current)
{
    std::u16string notes;
    size_t capacity = kNotesChunk; // with the terminator, as the room is counted
    for (int i = 0; updates && i < updates->GetCount(); ++i) {
        IUpdateFile* entry = updates->Get(i);
        if (entry->GetVersion() <= current)
            continue;
        std::u16string piece =
            Util::Format(u"%s\n-------------------------------------\n%s\n\n", entry->GetName(), entry->GetNotes());
        notes += piece.substr(0, capacity - 1 - notes.size());
        if (capacity - 1 - notes.size() < kNotesSlack)
            capacity += kNotesChunk;
    }
    return notes;
}

bool RunUpdateCheck(IEngine* engine, const std::vector<std::u16string>& gameArguments)
{
    IFileManager* files = engine ? engine->GetFileManager() : nullptr;
    if (!files || !files->HasDataPackage())
        return false;
    const int current = files->GetDataVersion();
    Util::List<IUpdateFile>* updates = engine->CheckUpdates();
    const std::u16string notes = BuildReleaseNotes(updates, current);
    bool newer = false;
    for (int i = 0; updates && i < updates->GetCount(); ++i)
        newer = newer || updates->Get(i)->GetVersion() > current;
    if (!newer)
        return false;

    NewVersionDialog question(notes.c_str());
    if (question.Show(engine) == UpdateDialog::kCancel)
        return false;

    UpdateFilesDialog update(engine, updates, gameArguments);
    update.Open();
    update.Run();
    return update.result;
}

bool CheckForNewVersion(IEngine* engine, const std::vector<std::u16string>& gameArguments)
{
    if (RunUpdateCheck(engine, gameArguments)) {
        // The updater replaces the data once this process is gone.
        Ui::StopDialogs();
        std::exit(0);
    }
    return false;
}
