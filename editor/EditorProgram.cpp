#include "editor/EditorProgram.h"

#include "editor/CEditorView.h"
#include "editor/CMainFrame.h"
#include "editor/panels/EditorListener.h"
#include "editor/panels/EditorTab.h"
#include "editor/panels/MiniMapWindow.h"
#include "engine/core/IEngine.h"
#include "game/shell/client/IGame.h"
#include "game/shell/editor/IEditorUI.h"
#include "platform/ui/Ui.h"

#include <cstdio>

EditorProgram& Program()
{
    static EditorProgram program;
    return program;
}

namespace {

bool Fail(const char16_t* text)
{
    Ui::ShowMessage(u"Error!", text, Ui::Icon::Error);
    return false;
}

} // namespace

bool StartEditorInterfaces()
{
    EditorProgram& p = Program();
    p.engine = GetEngine();
    if (!p.engine || !p.engine->Init()) {
        std::fprintf(stderr, "Editor: the engine did not start\n");
        return false;
    }
    p.renderer = p.engine->CreateRenderer(2);
    if (!p.renderer)
        return Fail(u"Failed to create renderer");
    p.game = GetGame();
    if (!p.game)
        return Fail(u"Failed to create game interface");
    p.ui = p.game->GetEditorUI();
    if (!p.ui)
        return Fail(u"GetEditorUI() failed");
    p.ui->SetListener(&TheEditorListener());
    return true;
}

void DrawView()
{
    if (CEditorView* view = Program().view)
        view->Draw();
}

void TickMiniMap()
{
    if (EditorTab* tab = Program().tab)
        tab->GetMiniMap()->Tick();
}

void MarkLevelModified()
{
    if (CMainFrame* frame = Program().frame)
        frame->GetDocument().SetModified(true);
}

void NoteLevelEdits()
{
    if (Program().ui && Program().ui->TakeLevelEdit())
        MarkLevelModified();
}
