#pragma once

#include "engine/render/ISprite.h"
#include "engine/render/ISpritePainter.h"
#include "engine/render/Quad.h"

#include <memory>
#include <vector>

// A sprite painter that draws nothing and keeps each sprite's last quad and
// visibility, so a test can see where an object put its picture.
struct KeptSprite : ISprite {
    void Set(const Quad* q, float) override { quad = *q; }
    void SetCorners(const Quad* q) override { quad = *q; }
    void SetParams(float, float, float) override {}
    void SetVisible(bool v) override { visible = v; }
    bool IsVisible() override { return visible; }
    Quad quad;
    bool visible = false;
};

struct KeptPainter : ISpritePainter {
    bool Init(int) override { return true; }
    void Clear() override {}
    ISprite* CreateSprite(int) override { return sprites.emplace_back(new KeptSprite()).get(); }
    void DestroySprite(ISprite*) override {}
    void Draw(int, int, int, int, bool) override {}
    std::vector<std::unique_ptr<KeptSprite>> sprites;
};
