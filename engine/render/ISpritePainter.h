#pragma once

class ISprite;

// Every sprite drawn in order by one draw call.
class ISpritePainter {
public:
    virtual ~ISpritePainter() {}
    virtual bool Init(int maxSprites) = 0;
    virtual void Clear() = 0;
    // The painter's sprite, freed by DestroySprite, Clear or the painter's end.
    virtual ISprite* CreateSprite(int order) = 0;
    virtual void DestroySprite(ISprite* sprite) = 0;
    virtual void Draw(int x0, int y0, int x1, int y1, bool reversed) = 0;
};
