#include "editor/dialogs/GameMapDialog.h"

#include "editor/CEditorView.h"
#include "editor/EditorProgram.h"
#include "editor/FileChooser.h"
#include "game/shell/editor/IEditorUI.h"
#include "platform/ui/Ui.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/glcanvas.h>
#include <wx/sizer.h>

namespace {

constexpr int kPictureSide = 512;
const char* const kFilter = "Portable Network Graphics (*.png)|*.png|All Files (*.*)|*.*";

} // namespace

GameMapDialog::GameMapDialog(wxWindow* parent, IEditorUI* ui) : EditorDialog(parent, "Game Map"), ui_(ui)
{
    picture_ = new wxGLCanvas(this, CEditorView::RendererAttributes(), wxID_ANY, wxDefaultPosition,
                              wxSize(kPictureSide, kPictureSide));
    picture_->SetBackgroundStyle(wxBG_STYLE_PAINT);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* render = new wxButton(this, wxID_ANY, "Render");
    auto* exportButton = new wxButton(this, wxID_ANY, "Export");
    auto* importButton = new wxButton(this, wxID_ANY, "Import");
    buttons->Add(render, 0, wxRIGHT, 4);
    buttons->Add(exportButton, 0, wxRIGHT, 4);
    buttons->Add(importButton, 0, wxRIGHT, 16);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Close"));
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(picture_, 0, wxALL, 8);
    top->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);
    CentreOnParent();

    picture_->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxPaintDC dc(picture_);
        if (released_)
            return;
        const wxSize size = picture_->GetClientSize();
        ui_->DrawGameMap(picture_->GetXWindow(), size.x, size.y);
    });
    render->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        ui_->RenderGameMap();
        // The picture is saved with the level.
        MarkLevelModified();
        picture_->Refresh(false);
    });
    exportButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Export(); });
    importButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Import(); });
}

void GameMapDialog::Export()
{
    std::u16string path;
    if (!FileChooser::AskSave(this, kFilter, ".png", u"", &path))
        return;
    if (!ui_->ExportGameMap(path.c_str()))
        Ui::ShowMessage(u"Vornhal Editor", u"File can't be saved.", Ui::Icon::Error);
}

void GameMapDialog::Import()
{
    std::u16string path;
    if (!FileChooser::AskOpen(this, kFilter, &path))
        return;
    if (!ui_->ImportGameMap(path.c_str())) {
        Ui::ShowMessage(u"Vornhal Editor", u"File can't be loaded.", Ui::Icon::Error);
        return;
    }
    MarkLevelModified();
    picture_->Refresh(false);
}

void GameMapDialog::OnEnding()
{
    // The renderer's context on the picture goes with the picture.
    if (!released_)
        ui_->ReleaseWindow(picture_->GetXWindow());
    released_ = true;
}
