#ifndef VORNHAL_DEDICATED

#include "engine/render/GlFunctions.h"

#include "platform/gl/GlxContext.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

GlFunctions g_gl;

namespace {

GlFunctions::Loader g_loader = GlFunctions::Loader::Sdl;

void* Lookup(const char* name)
{
    if (g_loader == GlFunctions::Loader::Glx)
        return Gl::GlxContext::GetProcAddress(name);
    return SDL_GL_GetProcAddress(name);
}

// A look-up never fails on Linux (the dispatcher hands out a stub for any
// name), so whether an entry point works is read from the version and the
// extension string instead.
struct Entry {
    const char* name;       // as the messages name it
    int major, minor;       // the core version that has it (0: none)
    const char* extension;  // the extension that has it
    const char* extension2; // a second extension it needs as well
    void** slot;
};

template <typename T> void** Slot(T& pointer) { return reinterpret_cast<void**>(&pointer); }

bool Available(const Entry& e)
{
    bool byExtension = e.extension && GlFunctions::HasExtension(e.extension) &&
                       (!e.extension2 || GlFunctions::HasExtension(e.extension2));
    return byExtension || (e.major > 0 && GlFunctions::HasVersion(e.major, e.minor));
}

bool Bind(const Entry& e)
{
    if (!Available(e))
        return false;
    *e.slot = Lookup(e.name);
    return *e.slot != nullptr;
}

} // namespace

void GlFunctions::SetLoader(Loader loader) { g_loader = loader; }

bool GlFunctions::HasExtension(const char* name)
{
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!all || !name || !*name)
        return false;
    const size_t n = std::strlen(name);
    for (const char* p = all; (p = std::strstr(p, name)) != nullptr; p += n) {
        bool startsWord = p == all || p[-1] == ' ';
        bool endsWord = p[n] == ' ' || p[n] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

bool GlFunctions::HasVersion(int major, int minor)
{
    const char* v = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int ma = 0, mi = 0;
    if (!v || std::sscanf(v, "%d.%d", &ma, &mi) != 2)
        return false;
    return ma > major || (ma == major && mi >= minor);
}

const char* GlFunctions::LoadRequired()
{
    GlFunctions& g = g_gl;
    const char* vp = "GL_ARB_vertex_program";
    const char* fp = "GL_ARB_fragment_program";
    const char* vbo = "GL_ARB_vertex_buffer_object";
    const Entry entries[] = {
        {"glActiveTextureARB", 1, 3, "GL_ARB_multitexture", nullptr, Slot(g.ActiveTexture)},
        {"glClientActiveTextureARB", 1, 3, "GL_ARB_multitexture", nullptr, Slot(g.ClientActiveTexture)},
        {"glMultiTexCoord2f", 1, 3, nullptr, nullptr, Slot(g.MultiTexCoord2f)},
        {"glMultiTexCoord3f", 1, 3, nullptr, nullptr, Slot(g.MultiTexCoord3f)},
        // Both program kinds are loaded, so both extensions are needed.
        {"glProgramStringARB", 0, 0, vp, fp, Slot(g.ProgramString)},
        {"glBindProgramARB", 0, 0, vp, fp, Slot(g.BindProgram)},
        {"glDeleteProgramsARB", 0, 0, vp, fp, Slot(g.DeletePrograms)},
        {"glGenProgramsARB", 0, 0, vp, fp, Slot(g.GenPrograms)},
        {"glProgramLocalParameter4fARB", 0, 0, vp, fp, Slot(g.ProgramLocalParameter4f)},
        {"glGenBuffersARB", 0, 0, vbo, nullptr, Slot(g.GenBuffers)},
        {"glDeleteBuffersARB", 0, 0, vbo, nullptr, Slot(g.DeleteBuffers)},
        {"glBindBufferARB", 0, 0, vbo, nullptr, Slot(g.BindBuffer)},
        {"glBufferDataARB", 0, 0, vbo, nullptr, Slot(g.BufferData)},
        {"glBufferSubDataARB", 0, 0, vbo, nullptr, Slot(g.BufferSubData)},
        {"glBlendFuncSeparate", 1, 4, "GL_EXT_blend_func_separate", nullptr, Slot(g.BlendFuncSeparate)},
    };
    for (const Entry& e : entries)
        if (!Bind(e))
            return e.name;
    // Drivers of only the extension spell it with the suffix.
    if (!HasVersion(1, 4) && HasExtension("GL_EXT_blend_func_separate"))
        g.BlendFuncSeparate = reinterpret_cast<PFNGLBLENDFUNCSEPARATEPROC>(Lookup("glBlendFuncSeparateEXT"));
    return nullptr;
}

bool GlFunctions::LoadFramebufferObjects()
{
    GlFunctions& g = g_gl;
    const char* fbo = "GL_EXT_framebuffer_object";
    const Entry entries[] = {
        {"glGenFramebuffersEXT", 0, 0, fbo, nullptr, Slot(g.GenFramebuffers)},
        {"glBindFramebufferEXT", 0, 0, fbo, nullptr, Slot(g.BindFramebuffer)},
        {"glGenRenderbuffersEXT", 0, 0, fbo, nullptr, Slot(g.GenRenderbuffers)},
        {"glBindRenderbufferEXT", 0, 0, fbo, nullptr, Slot(g.BindRenderbuffer)},
        {"glRenderbufferStorageEXT", 0, 0, fbo, nullptr, Slot(g.RenderbufferStorage)},
        {"glFramebufferRenderbufferEXT", 0, 0, fbo, nullptr, Slot(g.FramebufferRenderbuffer)},
        {"glFramebufferTexture2DEXT", 0, 0, fbo, nullptr, Slot(g.FramebufferTexture2D)},
        {"glCheckFramebufferStatusEXT", 0, 0, fbo, nullptr, Slot(g.CheckFramebufferStatus)},
        {"glDeleteFramebuffersEXT", 0, 0, fbo, nullptr, Slot(g.DeleteFramebuffers)},
        {"glDeleteRenderbuffersEXT", 0, 0, fbo, nullptr, Slot(g.DeleteRenderbuffers)},
        {"glGenerateMipmapEXT", 0, 0, fbo, nullptr, Slot(g.GenerateMipmap)},
    };
    for (const Entry& e : entries)
        if (!Bind(e))
            return false;
    return true;
}

#endif
