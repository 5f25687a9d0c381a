#pragma once

#include <string>

class IEditorUI;

// The open level file: its path (empty while untitled), its modified flag
// and the file handles the editing interface reads and writes. A load or a
// save that fails is reported, and never changes which file is open; a
// save writes a new file that takes the old one's place only when the
// whole level was written.
class CEditorDoc {
public:
    const std::u16string& GetPath() const { return path_; }
    // "Untitled" or the file's name.
    std::u16string GetTitle() const;
    bool IsModified() const { return modified_; }
    void SetModified(bool on) { modified_ = on; }

    // An empty untitled level.
    void Reset();
    // On failure the open level stays the document; why says what went
    // wrong.
    bool Load(IEditorUI* ui, const std::u16string& path, std::u16string* why);
    bool SaveAs(IEditorUI* ui, const std::u16string& path, std::u16string* why);

private:
    std::u16string path_;
    bool modified_ = false;
};
