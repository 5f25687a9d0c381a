#pragma once

#include "game/world/objects/Object.h"

class IResource;

// A tree whose crown sways and shakes from nearby blasts; never damaged.
class Tree : public Object {
public:
    explicit Tree(int definitionId);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void TakeBlastDamage(float blastX, float blastY, float amount, int32_t, int32_t) override;
    bool IsAlive() override { return true; }
    void Update(float dt) override;
    void Draw() override {}
    void DrawExtra() override;
    void DrawShadowCaster(float, float, float) override {}

    float GetShakeStrength() const { return shakeStrength_; }
    float GetShakeTimer() const { return shakeTimer_; }
    void GetShakeDirection(float* x, float* y) const
    {
        *x = shakeX_;
        *y = shakeY_;
    }
    float GetSwayPhase() const { return phase_; }

private:
    float phase_;
    float shakeX_ = 0.0f, shakeY_ = 0.0f;
    float shakeStrength_ = 0.0f;
    float shakeTimer_ = 0.0f;
    ITexture* crown_ = nullptr;
    ITexture* trunk_ = nullptr;
};

// A pane that blocks until shot to pieces, then stays broken and lets
// everything through. It marks the world cell under its centre, broken or
// not: a window cell is never an opaque wall.
class Window : public Object {
public:
    explicit Window(int definitionId) : Object(13, definitionId) {}
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void TakeHit(float damage, bool playSounds, int soundVariant, float hitX, float hitY, float direction) override;
    void Update(float dt) override;
    void Draw() override {}
    void DrawExtra() override;
    void DrawShadowCaster(float, float, float) override {}
    void DrawUpperLayer(float, float, float, bool) override {}
    void MoveTileMark(float oldX, float oldY, float newX, float newY) override;
    void MarkTiles(float x, float y) override;

    bool IsBroken() const { return broken_ != 0; }
    bool IsBodyDisabled() const { return bodyDisabled_ != 0; }
    int GetCellColumn() const { return column_; }
    int GetCellRow() const { return row_; }
    // The cell under the centre of the window placed at (x, y); false when
    // it lies outside the world or the position is not a number.
    bool CellAt(float x, float y, int* column, int* row);

private:
    void Mark(int column, int row);
    // Clears the bit unless another window still covers the cell.
    void Unmark(int column, int row);
    bool OtherWindowCovers(int column, int row, bool intactOnly);

    int32_t column_ = -1, row_ = -1;
    uint8_t broken_ = 0;
    uint8_t bodyDisabled_ = 0;
};
