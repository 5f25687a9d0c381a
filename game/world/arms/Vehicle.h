#pragma once

#include "game/world/objects/Object.h"

#include <vector>

class IResource;
class ISprite;
class ITexture;

// One image of a vehicle's part tree; placed relative to the vehicle.
struct VehiclePart_s {
    VehiclePart_s* parent = nullptr;
    float offsetX = 0.0f, offsetY = 0.0f;
    float angle = 0.0f;
    float pivotX = 0.0f, pivotY = 0.0f;
    IResource* resource = nullptr; // borrowed
    ITexture* image = nullptr;
    ISprite* sprite = nullptr;
};

// A heavy prop with a box body: blasts push it, and on the server its pose
// follows the body while on clients the body follows the replicated pose.
class Vehicle : public Object {
public:
    static constexpr int kSeats = 32;
    static constexpr int kSeatsUsed = 5;
    struct Seat {
        Object* occupant = nullptr;
        uint8_t flag = 0;
    };

    explicit Vehicle(int definitionId);
    ~Vehicle() override;
    const MPAPI::FieldRecord* GetFieldTable() override;
    void LoadProperties() override;
    void SetAngle(float degrees) override;
    void Update(float dt) override;
    void Draw() override;
    void DrawExtra() override {}

    int GetPartCount() const { return int(parts_.size()); }
    const VehiclePart_s* GetPart(int i) const { return parts_[size_t(i)]; }
    bool IsWrecked() const { return wrecked_; }
    Seat* GetSeat(int i) { return i >= 0 && i < kSeatsUsed ? &seats_[i] : nullptr; }
    // Frees every seat that refers to the occupant (it is going away).
    void ReleaseOccupant(Object* occupant);

private:
    void BoundMembers();
    void PlaceBody();
    void BuildParts(IResource* graphics, VehiclePart_s* parent, int depth);

    ITexture* image_ = nullptr;
    std::vector<VehiclePart_s*> parts_;
    Seat seats_[kSeats];
    int seatCount_ = kSeatsUsed;
    bool wrecked_ = false;
};
