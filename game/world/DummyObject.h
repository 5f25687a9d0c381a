#pragma once

#include "game/world/Object.h"

// A plain level prop (kind 0) drawn with the definition's "transparency".
class DummyObject : public Object {
public:
    explicit DummyObject(int definitionId) : Object(0, definitionId) {}
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    bool IsTranslucent() override { return true; }
    float GetOpacity() override { return opacity_; }

protected:
    float opacity_ = 1.0f;
};

// A prop with "health": it breaks, and its health is replicated.
class DummyBreakableObject : public DummyObject {
public:
    explicit DummyBreakableObject(int definitionId) : DummyObject(definitionId) {}
    const MPAPI::FieldRecord* GetFieldTable() override;
};
