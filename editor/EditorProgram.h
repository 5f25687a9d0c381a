#pragma once

class ClipboardWindow;
class EditorTab;
class IEditorUI;
class IEngine;
class IGame;
class IRenderer;
class CEditorView;
class CMainFrame;

// What every window of the editor reaches: the services bound at start-up
// and the windows, each recorded while it exists.
struct EditorProgram {
    IEngine* engine = nullptr;
    IRenderer* renderer = nullptr;
    IGame* game = nullptr;
    IEditorUI* ui = nullptr;
    CMainFrame* frame = nullptr;
    CEditorView* view = nullptr;
    ClipboardWindow* clipboard = nullptr;
    EditorTab* tab = nullptr;
};

EditorProgram& Program();

// Binds the engine, its renderer, the game and its editing interface and
// hands the interface the editor's listener. False when one is missing;
// each but the engine shows why in a box titled "Error!".
bool StartEditorInterfaces();

// The level view drawn again (nothing before the interfaces are up).
void DrawView();
// The minimap brought up to date now: a level was opened, made or resized.
void TickMiniMap();
// The open level has changes a save would keep.
void MarkLevelModified();
// Marks the level modified when the last input to the editing interface
// changed it.
void NoteLevelEdits();
