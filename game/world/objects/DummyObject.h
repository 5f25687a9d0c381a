#pragma once

#include "game/world/objects/Object.h"

// A plain level prop (kind 0) drawn with the definition's "transparency".
class DummyObject : public Object {
public:
    explicit DummyObject(int definitionId) : Object(0, definitionId) {}
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    bool IsTranslucent() override { return true; }
    float GetOpacity() override { return opacity_; }
    // Replicated members that arrive not finite fall back to the last
    // finite ones before anything uses them.
    void ServerUpdate(float dt) override;
    void SetPositionAngle(float x, float y, float angle) override;

protected:
    float opacity_ = 1.0f;
    float goodX_ = 0.0f, goodY_ = 0.0f, goodAngle_ = 0.0f, goodHealth_ = 0.0f;
};

// A prop with "health": it breaks, and its health is replicated.
class DummyBreakableObject : public DummyObject {
public:
    explicit DummyBreakableObject(int definitionId) : DummyObject(definitionId) {}
    const MPAPI::FieldRecord* GetFieldTable() override;
};
