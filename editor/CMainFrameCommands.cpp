#include "editor/CEditorView.h"
#include "editor/CMainFrame.h"
#include "editor/Commands.h"
#include "editor/EditorProgram.h"
#include "editor/FileChooser.h"
#include "editor/dialogs/AboutDialog.h"
#include "editor/dialogs/EnvironmentDialog.h"
#include "editor/dialogs/GameMapDialog.h"
#include "editor/dialogs/LightDialogs.h"
#include "editor/dialogs/MakePackage.h"
#include "editor/dialogs/MapPropertiesDialog.h"
#include "editor/panels/ClipboardWindow.h"
#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFileManager.h"
#include "game/shell/editor/EditorKeys.h"
#include "game/shell/editor/IEditorUI.h"
#include "platform/ui/Ui.h"
#include "platform/ui/wx/Dialogs.h"

#include <wx/aui/auibar.h>
#include <wx/statusbr.h>

namespace {

const char* const kLevelFilter = "Levels (*.lvl)|*.lvl";

int ToolOf(int command)
{
    switch (command) {
    case Command::PanTool:
        return 1;
    case Command::BlockBrush:
        return 2;
    case Command::ObjectTool:
        return 3;
    case Command::MoveTool:
        return 4;
    case Command::LightAreaTool:
        return 7;
    case Command::ScatterBrush:
        return 8;
    case Command::FillTool:
        return 9;
    case Command::LightTool:
        return 10;
    default:
        return -1;
    }
}

bool SelectTool(IEditorUI* ui, int command)
{
    switch (command) {
    case Command::PanTool:
        return ui->SelectPanTool();
    case Command::BlockBrush:
        return ui->SelectBlockBrush();
    case Command::ObjectTool:
        return ui->SelectObjectTool();
    case Command::MoveTool:
        return ui->SelectMoveTool();
    case Command::LightAreaTool:
        return ui->SelectLightAreaTool();
    case Command::ScatterBrush:
        return ui->SelectScatterBrush();
    case Command::FillTool:
        return ui->SelectFillTool();
    case Command::LightTool:
        return ui->SelectLightTool();
    default:
        return false;
    }
}

void ShowError(const std::u16string& text) { Ui::ShowMessage(u"Error!", text.c_str(), Ui::Icon::Error); }

} // namespace

void CMainFrame::OnCommand(wxCommandEvent& e)
{
    if (e.GetId() >= wxID_FILE1 && e.GetId() <= wxID_FILE9) {
        e.Skip();
        return;
    }
    RunCommand(e.GetId());
}

void CMainFrame::RunCommand(int id)
{
    EditorProgram& p = Program();
    IEditorUI* ui = p.ui;
    if (ToolOf(id) >= 0) {
        if (ui && SelectTool(ui, id))
            DrawView();
        return;
    }
    switch (id) {
    case wxID_NEW:
        NewLevel();
        return;
    case wxID_OPEN:
        Open();
        return;
    case wxID_SAVE:
        Save();
        return;
    case wxID_SAVEAS:
        SaveAs();
        return;
    case wxID_EXIT:
        Close();
        return;
    case wxID_ABOUT:
        AboutDialog(this).Run();
        return;
    case Command::ToggleToolbar: {
        wxAuiPaneInfo& pane = aui_.GetPane("Toolbar");
        pane.Show(!pane.IsShown());
        aui_.Update();
        return;
    }
    case Command::ToggleStatusBar:
        GetStatusBar()->Show(!GetStatusBar()->IsShown());
        SendSizeEvent();
        return;
    case Command::ToggleClipboard:
        if (p.clipboard)
            p.clipboard->ToggleShown();
        return;
    case Command::LightingNoon:
    case Command::LightingEvening:
    case Command::LightingNight:
        if (ui) {
            ui->SetLighting(id - Command::LightingNoon);
            MarkLevelModified();
            DrawView();
        }
        return;
    case Command::MapProperties:
        if (ui && ShowMapProperties())
            MarkLevelModified();
        return;
    case Command::GameMap:
        if (ui)
            GameMapDialog(this, ui).Run();
        return;
    case Command::MakePackage:
        if (p.engine)
            MakePackage(this, p.engine->GetFileManager()).Run();
        return;
    case Command::Manual:
        if (p.engine) {
            const std::u16string page = Util::Format(u"%s/manual/index.html", p.engine->GetFileManager()->GetGameDir());
            Ui::OpenPage(u"file://" + page);
        }
        return;
    case Command::Properties:
        ShowLevelProperties();
        return;
    case Command::Clone:
    case Command::Delete:
        if (ui && p.view) {
            ui->KeyDown(p.view->Callbacks(), id == Command::Clone ? EditorKeys::Clone : unsigned(EditorKeys::Delete));
            NoteLevelEdits();
            DrawView();
        }
        return;
    case Command::EnvironmentProperties:
        if (ui && ui->GetAudio())
            EnvironmentDialog(this, ui->GetAudio()).Run();
        return;
    default:
        // The Play commands do nothing; Release has no handler.
        return;
    }
}

void CMainFrame::OnUpdateUi(wxUpdateUIEvent& e)
{
    EditorProgram& p = Program();
    IEditorUI* ui = p.ui;
    const int id = e.GetId();
    if (ToolOf(id) >= 0) {
        e.Check(ui && ui->GetTool() == ToolOf(id));
        return;
    }
    switch (id) {
    case Command::ToggleToolbar:
        e.Check(aui_.GetPane("Toolbar").IsShown());
        return;
    case Command::ToggleStatusBar:
        e.Check(GetStatusBar() && GetStatusBar()->IsShown());
        return;
    case Command::ToggleClipboard:
        e.Check(p.clipboard && p.clipboard->IsShown());
        return;
    case Command::LightingNoon:
    case Command::LightingEvening:
    case Command::LightingNight:
        e.Check(ui && ui->GetLighting() == id - Command::LightingNoon);
        return;
    case Command::Release:
        e.Enable(false);
        return;
    default:
        e.Skip();
        return;
    }
}

void CMainFrame::OnRecentFile(wxCommandEvent& e)
{
    const size_t index = size_t(e.GetId() - wxID_FILE1);
    if (index >= history_.GetCount() || !SaveModified())
        return;
    OpenLevel(FileChooser::FromWxPath(history_.GetHistoryFile(index)));
}

bool CMainFrame::SaveModified()
{
    if (!document_.IsModified())
        return true;
    const std::u16string text = u"Save changes to " + document_.GetTitle() + u"?";
    switch (Ui::ShowMessage(u"Editor", text.c_str(), Ui::Icon::Question, Ui::Buttons::YesNoCancel)) {
    case Ui::Answer::Yes:
        return Save();
    case Ui::Answer::No:
        return true;
    default:
        return false;
    }
}

bool CMainFrame::Save()
{
    if (document_.GetPath().empty())
        return SaveAs();
    std::u16string why;
    if (!Program().ui || !document_.SaveAs(Program().ui, document_.GetPath(), &why)) {
        ShowError(why);
        return false;
    }
    return true;
}

bool CMainFrame::SaveAs()
{
    std::u16string path, why;
    if (!Program().ui || !FileChooser::AskSave(this, kLevelFilter, ".lvl", document_.GetPath(), &path))
        return false;
    if (!document_.SaveAs(Program().ui, path, &why)) {
        ShowError(why);
        return false;
    }
    history_.AddFileToHistory(FileChooser::ToWxPath(path));
    UpdateTitle();
    return true;
}

void CMainFrame::NewLevel()
{
    IEditorUI* ui = Program().ui;
    if (!ui || !SaveModified())
        return;
    document_.SetModified(false);
    ui->NewLevel();
    ShowMapProperties();
    document_.Reset();
    UpdateTitle();
    DrawView();
    TickMiniMap();
}

void CMainFrame::Open()
{
    std::u16string path;
    if (!Program().ui || !SaveModified() || !FileChooser::AskOpen(this, kLevelFilter, &path))
        return;
    OpenLevel(path);
}

bool CMainFrame::OpenLevel(const std::u16string& path)
{
    std::u16string why;
    const bool ok = Program().ui && document_.Load(Program().ui, path, &why);
    const wxString name = FileChooser::ToWxPath(path);
    if (ok) {
        history_.AddFileToHistory(name);
        TickMiniMap();
    } else {
        for (size_t i = 0; i < history_.GetCount(); ++i)
            if (history_.GetHistoryFile(i) == name) {
                history_.RemoveFileFromHistory(i);
                break;
            }
        ShowError(why);
    }
    UpdateTitle();
    DrawView();
    return ok;
}

bool CMainFrame::ShowMapProperties()
{
    IEditorUI* ui = Program().ui;
    const bool applied = MapPropertiesDialog(this, ui).RunAndApply();
    if (applied) {
        DrawView();
        TickMiniMap();
    }
    return applied;
}

void CMainFrame::ShowLevelProperties()
{
    IEditorUI* ui = Program().ui;
    if (!ui)
        return;
    if (ui->GetTool() == 7) {
        if (ILightBox* box = ui->GetLightBoxAtCursor())
            LightAreaDialog(this, box).Run();
    } else if (ui->GetTool() == 4) {
        if (ILight* light = ui->GetSelectedLight())
            LightDialog(this, light).Run();
    }
}
