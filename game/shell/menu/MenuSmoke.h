#pragma once

#include "engine/core/List.h"

// The menus' backdrop: a list of smoke particles the game keeps for the
// server browser. Nothing adds particles to it yet.
class MenuSmoke {
public:
    struct Particle {
        float x = 0.0f;
        float y = 0.0f;
        float alpha = 0.0f;
    };

    MenuSmoke() = default;
    ~MenuSmoke()
    {
        for (int i = 0; i < particles.GetCount(); ++i)
            delete particles.Get(i);
    }
    MenuSmoke(const MenuSmoke&) = delete;
    MenuSmoke& operator=(const MenuSmoke&) = delete;

    Util::List<Particle> particles;
};
