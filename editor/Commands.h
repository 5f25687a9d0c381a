#pragma once

#include <wx/defs.h>

// The editor's command ids (the File and Help commands use the toolkit's
// own ids): the editor's historical numbers less kBase, which keeps them
// in the toolkit's range.
namespace Command {
constexpr int kBase = 30000;
enum : int {
    PanTool = 32773 - kBase,
    BlockBrush = 32774 - kBase,
    MapProperties = 32775 - kBase,
    Release = 32776 - kBase,
    PlayOnServer = 32777 - kBase,
    PlayOnClient = 32778 - kBase,
    ObjectTool = 32780 - kBase,
    MoveTool = 32783 - kBase,
    PlayStandalone = 32784 - kBase,
    MakePackage = 32785 - kBase,
    LightAreaTool = 32787 - kBase,
    ScatterBrush = 32789 - kBase,
    FillTool = 32791 - kBase,
    LightTool = 32793 - kBase,
    ToggleClipboard = 32795 - kBase,
    Manual = 32801 - kBase,
    GameMap = 32803 - kBase,
    EnvironmentProperties = 32804 - kBase,
    Properties = 32805 - kBase,
    Delete = 32806 - kBase,
    Clone = 32807 - kBase,
    LightingNoon = 32809 - kBase,
    LightingEvening = 32810 - kBase,
    LightingNight = 32811 - kBase,
    ToggleToolbar = 59392 - kBase,
    ToggleStatusBar = 59393 - kBase,
};
} // namespace Command
