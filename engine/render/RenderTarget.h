#pragma once

#ifndef VORNHAL_DEDICATED

// An off-screen picture through the framebuffer-object extension.
class RenderTarget {
public:
    RenderTarget() = default;
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // texture 0 makes a new RGBA8 texture of w x h with mipmaps; otherwise
    // the given one is drawn into and stays its owner's. Leaves framebuffer
    // 0 bound; an incomplete target keeps no names and gives false.
    bool Create(unsigned texture, int w, int h);
    // Deletes the framebuffer and an own texture (the context must be current).
    void Destroy();
    // Forgets the GL names without deleting them (their context is gone).
    void Forget();

    unsigned GetFramebuffer() const { return framebuffer_; }
    unsigned GetTexture() const { return texture_; }
    bool IsTextureBorrowed() const { return textureBorrowed_; }

private:
    unsigned framebuffer_ = 0;
    unsigned texture_ = 0;
    bool textureBorrowed_ = false;
};

#endif
