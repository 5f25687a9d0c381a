#ifndef VORNHAL_DEDICATED

#include "engine/render/RenderTarget.h"

#include "engine/render/GlFunctions.h"

RenderTarget::~RenderTarget() { Destroy(); }

bool RenderTarget::Create(unsigned texture, int w, int h)
{
    if (!g_gl.GenFramebuffers)
        return false;
    Destroy();
    GLuint fb = 0;
    g_gl.GenFramebuffers(1, &fb);
    if (fb == 0)
        return false;
    framebuffer_ = fb;
    g_gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, fb);
    if (texture != 0) {
        texture_ = texture;
        textureBorrowed_ = true;
    } else {
        // The renderer's bound-texture cache does not know of this texture:
        // the unit keeps what it had.
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        GLuint t = 0;
        glGenTextures(1, &t);
        glBindTexture(GL_TEXTURE_2D, t);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        g_gl.GenerateMipmap(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, GLuint(previous));
        texture_ = t;
        textureBorrowed_ = false;
    }
    g_gl.FramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture_, 0);
    const bool complete = g_gl.CheckFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    // An incomplete target left bound would swallow all later drawing, and
    // its names would pass for a usable target.
    g_gl.BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    if (!complete)
        Destroy();
    return complete;
}

void RenderTarget::Destroy()
{
    if (framebuffer_ != 0 && g_gl.DeleteFramebuffers) {
        GLuint fb = framebuffer_;
        g_gl.DeleteFramebuffers(1, &fb);
    }
    if (texture_ != 0 && !textureBorrowed_) {
        GLuint t = texture_;
        glDeleteTextures(1, &t);
    }
    Forget();
}

void RenderTarget::Forget()
{
    framebuffer_ = 0;
    texture_ = 0;
    textureBorrowed_ = false;
}

#endif
