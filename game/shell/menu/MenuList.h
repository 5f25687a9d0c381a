#pragma once

#include "engine/core/List.h"
#include "game/shell/menu/MenuControl.h"
#include "game/shell/menu/ScrollBar.h"

#include <string>
#include <vector>

class IMenuListData;
class ITexture;

// A multi-column table over an IMenuListData, sorted by clicking column
// headers, with two scroll bars and one selectable row.
class MenuList : public MenuControl {
public:
    struct Column {
        std::u16string title;
        int width;
        // 0 unsorted, 1 descending, 2 ascending.
        int sort;
    };

    MenuList(IMenuListData* data, int x, int y, int width, int height);
    ~MenuList() override;

    void OnMouse(IRenderer* renderer, int mx, int my, bool down, float wheel) override;
    void AddColumn(const char16_t* title, int width);
    // Takes the data's row count anew and orders the rows; the selected
    // display position stays where it was.
    void Sort();
    void Draw(IRenderer* renderer, ITexture* arrows);
    // The data row shown at a display position, or -1.
    int GetDataRow(int displayRow) const;

    IMenuListData* data;
    Util::List<Column> columns;
    int hoveredColumn = -1;
    std::vector<int> columnOrder;
    std::vector<int> rowOrder;
    int selectedRow = -1;
    bool clickLatch = false;
    // 0 none, 1 horizontal thumb, 2 vertical thumb, 3 a column header.
    int hoverTarget = 0;
    bool hoverFlag = false;
    bool heldFlag = false;
    ScrollBar hbar;
    ScrollBar vbar;

private:
    static constexpr int kHeader = 26;
    static constexpr int kRowHeight = 18;
    // The header and the rows grow with a font taller than the design's.
    int Header() const { return kHeader + textExtra_; }
    int RowHeight() const { return kRowHeight + textExtra_; }
    // The vertical bar takes its 20 pixels from the view so it lies inside
    // the list.
    int ViewWidth() const { return vbar.needed ? width - 20 : width; }
    int ViewHeight() const { return height - Header() - (hbar.needed || vbar.needed ? 20 : 0); }
    // Takes the renderer's font: rows as tall as its lines, columns at
    // least as wide as their titles.
    void Fit(IRenderer* r);
    int TotalWidth() const;
    void MeasureBars();
    bool PassThumbs(int mx, int my, bool down);
    bool PassHeaders(int mx, int my, bool down);
    void PassRows(int mx, int my, bool down);
    void ClickColumn(int column);
    void DrawBars(IRenderer* r);

    int textExtra_ = 0;
    int fittedHeight_ = -1;
};
