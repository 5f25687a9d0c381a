#include "game/shell/client/Game.h"

#include "engine/core/IEngine.h"
#include "game/shell/editor/EditorUI.h"
#include "game/world/resources/IEditorListener.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/state/WorldServices.h"

void Game::BuildEditorPalettes()
{
    if (!engine_ || !resources_)
        return;
    if (IEditorListener* listener = GetStartedEditorListener()) {
        editor_->SetPage(FloorsPage, listener->AddSelectionPage(u"Floors"));
        editor_->SetPage(WallsPage, listener->AddSelectionPage(u"Walls"));
        editor_->SetPage(ObjectsPage, listener->AddSelectionPage(u"Objects"));
    }
    // The definitions are loaded once a game; a script kept in edit mode
    // writes ids it gave out back at shutdown.
    if (!scripts_[0]) {
        for (int i = 0; i < kScriptCount; ++i) {
            scripts_[i] = std::make_unique<ResourceScript>(resources_.get(), files_);
            scripts_[i]->SetEditMode(true);
            // A script that fails has said so; the palettes hold what loaded.
            scripts_[i]->Load(kScriptNames[i]);
        }
        resources_->BuildIndex();
        resources_->ApplyItemDefinitions(Services().weapons);
    }
    input_ = engine_->GetInput();
}

bool Game::HasEditor() { return editor_ != nullptr; }

void Game::SelectBlockTool()
{
    if (editor_)
        editor_->SelectBlockTool();
}

void Game::SelectObjectTool()
{
    if (editor_)
        editor_->SelectObjectTool();
}

IEditorListener* Game::GetStartedEditorListener()
{
    return editor_ && editor_->IsRunning() ? editor_->GetListener() : nullptr;
}

IEditorSelectionPage* Game::GetSelectionPage(Page page) { return editor_ ? editor_->GetPage(page) : nullptr; }
