#pragma once

#include "game/shell/editor/EditorEntries.h"

#include <list>
#include <vector>

class Object;

// What the object tool and the scatter brush show under the cursor before
// a click places it: real world objects, so the scene draws them. The
// scatter brush draws its objects from a clipboard of definitions.
class ObjectBrush {
public:
    // The spin ranges of the editor's clipboard panel.
    static constexpr int kMaxRadius = 5000;
    static constexpr int kMaxCount = 500;
    static constexpr int kMaxRange = 5000;
    static constexpr int kAttempts = 1000;

    ObjectBrush() = default;
    ~ObjectBrush();
    ObjectBrush(const ObjectBrush&) = delete;
    ObjectBrush& operator=(const ObjectBrush&) = delete;

    // Values outside the ranges above are brought into them.
    void SetOptions(bool angleJitter, int radius, int count, int range);
    void AddClipboardItem(int definitionId);
    void RemoveClipboardItem(int definitionId);

    // Destroys the previews (the destructor leaves them to the world).
    void Clear();
    // One object of the definition at (x, y), replacing the preview.
    void ShowSingle(int definitionId, float x, float y);
    // A new scatter arrangement around (cx, cy), unless one is shown.
    void Generate(float cx, float cy);
    void MoveTo(float cx, float cy);
    void Turn(float degrees);
    // The previews become placed objects, appended to `placed`; a scatter
    // preview keeps only the objects with room around them.
    void Commit(std::list<EditorObjectEntry>& placed);

    int GetCurrentId() const { return currentId_; }
    bool IsGenerated() const { return generated_; }
    int GetPreviewCount() const { return int(previews_.size()); }

private:
    struct Preview {
        Object* object;
        float offsetX;
        float offsetY;
    };
    bool RoomFor(Object* object) const;

    int currentId_ = -1;
    bool generated_ = false;
    bool angleJitter_ = true;
    int radius_ = 200;
    int count_ = 2;
    int range_ = 32;
    std::vector<int> clipboard_;
    std::vector<Preview> previews_;
};
