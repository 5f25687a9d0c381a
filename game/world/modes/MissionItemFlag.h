#pragma once

#include "game/world/objects/MissionItem.h"

class ITexture;

// A king-of-the-hill flag: a team takes it by keeping a living player next
// to it. The server runs the capture; clients draw what replication says.
class MissionItemFlag : public MissionItem {
public:
    static constexpr float kCaptureSeconds = 10.0f;
    static constexpr float kReach = 64.0f; // half side of the square a player stands in
    static constexpr float kLeash = 80.0f; // a capturer farther than this gives up

    explicit MissionItemFlag(int definitionId);
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void OnNetUpdate() override;
    void Update(float dt) override;
    void DrawIndicator() override;

    // Back to the owner its item type gives, no capture under way.
    void ResetToStart();
    int GetTeam() const { return team_; }
    bool IsOwned() const { return owned_ != 0; }
    float GetProgress() const { return progress_; }
    int GetCapturer() const { return capturer_; }
    void GetCentre(float* x, float* y);

protected:
    void ShapeQuad(Quad* quad, ITexture* image) override;

private:
    void Capture(Object* capturer);

    float progress_ = 0.0f;
    float timer_ = 0.0f;
    int32_t team_ = -1;
    int32_t capturer_ = 0;
    uint8_t owned_ = 0;
    ITexture* finnishImage_ = nullptr;
    ITexture* russianImage_ = nullptr;
};
