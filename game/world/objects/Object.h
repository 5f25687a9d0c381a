#pragma once

#include "engine/net/Object.h"

#include <cstdint>
#include <limits>

class IResource;
class ITexture;
class ISprite;
struct FreeParameter;
namespace PhysEng {
class Object;
}

// Cover that a shot may pass: a circle around the object's centre.
struct CoverRecord {
    float halfWidth = 0.0f;
    float halfHeight = 0.0f;
    float radius = 16.0f;
    float radiusSquared = 256.0f;
    uint8_t passPercent = 0; // chance that a distant shot passes
    uint8_t coverFactor = 0; // percent handed to the shot query
    uint8_t extraFlag = 0;
};

// A look an object takes once its health falls below the threshold.
struct DamageState {
    FreeParameter* record = nullptr;
    IResource* graphics = nullptr;
    float threshold = 0.0f;
};

// The base of every object in the world. Made by the factories, which call
// LoadProperties and then SetPositionAngle; deleted by the world, by itself
// when broken while serving, or by replication on a client.
class Object : public MPAPI::Object {
public:
    Object(int kind, int definitionId);
    ~Object() override;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Replication.
    bool IsAlwaysRelevant() override;
    int GetTypeId() override { return kind_; }
    int GetSubTypeId() override { return definitionId_; }
    float GetX() override { return x_; }
    float GetY() override { return y_; }
    bool IsNear(float viewerX, float viewerY, bool* far) override;
    void OnNetUpdate() override { stale_ = false; }
    void OnNetStale() override { stale_ = true; }
    void SetNetPosition(float x, float y, float dx, float dy) override;

    // Height, cover, health, damage looks and the body from the definition.
    virtual void LoadProperties();
    virtual bool IsTranslucent() { return false; }
    virtual float GetOpacity() { return 1.0f; }
    virtual void ApplyFriction() {}
    virtual void GetPosition(float* x, float* y);
    virtual void SetPosition(float x, float y);
    virtual void SetPositionAngle(float x, float y, float angle);
    virtual void SetInputState(uint32_t flags, float value, int weapon, int explosive, float charge);
    virtual void NoOpC(int) {}
    virtual void SetAngle(float degrees) { angle_ = degrees; }
    virtual float GetAngle() { return angle_; }
    virtual void TakeHit(float damage, bool playSounds, int soundVariant, float hitX, float hitY, float direction);
    virtual void TakeBlastDamage(float blastX, float blastY, float amount, int32_t ownerId, int32_t weaponId);
    virtual bool IsAlive() { return health_ > 0.0f; }
    // Asked by the shot query for an object whose hull the shot crosses:
    // true stops the shot here; cover gets the cover factor (0..1).
    virtual bool CoverStopsShot(Object* shooter, float* cover);
    virtual bool BlocksBullets();
    // 0 when the segment passes through a tall object's body, else 1.
    virtual float GetVisibility(float x0, float y0, float x1, float y1);
    // Clients only, before Update.
    virtual void ServerUpdate(float) {}
    virtual void Update(float dt);
    // The body at the object's position and angle; each update does it.
    void PlaceBody();
    virtual void Draw();
    virtual void DrawExtra() {}
    virtual void DrawShadowCaster(float lightX, float lightY, float extra);
    virtual void DrawUpperLayer(float viewX, float viewY, float extra, bool asShadow);
    // 1 green, 2 red, 0 nothing.
    virtual void DrawEditorMarker(int mode);
    virtual bool ContainsPoint(float x, float y);
    virtual void MoveTileMark(float, float, float, float) {}
    virtual void MarkTiles(float, float) {}

    // 1 wood, 2 metal, 3 wall, 4 glass, 5 electronic, else 0.
    int GetMaterial();

    int GetKind() const { return kind_; }
    // Asks for the memory an update reads: the object's own and, once that
    // has come, what it points to.
    void PrefetchSelf() const;
    void PrefetchParts() const;
    int GetDefinitionId() const { return definitionId_; }
    IResource* GetDefinition() const { return definition_; }
    bool IsStale() const { return stale_; }
    float GetRadius() const { return radius_; }
    float GetHealth() const { return health_; }
    void SetHealth(float health) { health_ = health; }
    bool IsBreakable() const { return breakable_; }
    uint8_t GetHeight() const { return height_; }
    const CoverRecord* GetCover() const { return cover_; }
    PhysEng::Object* GetBody() const { return body_; }
    ISprite* GetSprite() const { return sprite_; }
    int GetDamageStateCount() const { return damageStateCount_; }
    // Every world class's table starts with these: x, y (position), angle.
    static constexpr int kPositionRecords = 3;
    void FillPositionRecords(MPAPI::FieldRecord* out);
    const DamageState* GetDamageState(int i) const;
    bool drawn = false;

protected:
    // The definition's image, or the look of the last damage state that has one.
    ITexture* CurrentImage();

    int32_t kind_;
    int32_t definitionId_;
    bool stale_ = false;
    IResource* definition_ = nullptr;
    float x_ = 0.0f, y_ = 0.0f;
    float angle_ = 0.0f;
    float radius_ = 200.0f;
    float health_ = 0.0f;
    // The health the damage states were last looked at for (none yet): at
    // the same health they have nothing new to show.
    float damageLookedAt_ = std::numeric_limits<float>::quiet_NaN();
    uint8_t height_ = 0;
    CoverRecord* cover_ = nullptr;
    bool breakable_ = false;
    DamageState* damageStates_ = nullptr;
    int damageStateCount_ = 0;
    PhysEng::Object* body_ = nullptr;
    ISprite* sprite_ = nullptr;
};
