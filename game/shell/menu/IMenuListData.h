#pragma once

// The rows behind a MenuList: the list holds none itself.
class IMenuListData {
public:
    virtual ~IMenuListData() {}
    // Borrowed; may be a buffer the source reuses on the next call.
    virtual const char16_t* GetCellText(int row, int column) = 0;
    virtual int GetRowCount() = 0;
    // Negative when row a sorts before row b.
    virtual int CompareRows(int a, int b, int column) = 0;
    virtual void OnRowSelected(int row) = 0;
};
