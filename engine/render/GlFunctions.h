#pragma once

#ifndef VORNHAL_DEDICATED

#include <GL/gl.h>
#include <GL/glext.h>

// The GL entry points beyond 1.1 that the renderer binds by name. One set
// per process: on Linux the pointers do not depend on the context.
struct GlFunctions {
    enum class Loader { Sdl, Glx };

    // Which loader later look-ups use: SDL's for the SDL window, GLX's for
    // host windows.
    static void SetLoader(Loader loader);
    // Needs a current context. Null when every required entry point is
    // there, else the name of the first one missing.
    static const char* LoadRequired();
    // The framebuffer-object entry points; false when the driver lacks them.
    static bool LoadFramebufferObjects();
    // Whether the current context lists that extension (whole-word match).
    static bool HasExtension(const char* name);
    // Whether the current context's version is at least major.minor.
    static bool HasVersion(int major, int minor);

    PFNGLACTIVETEXTUREARBPROC ActiveTexture = nullptr;
    PFNGLCLIENTACTIVETEXTUREARBPROC ClientActiveTexture = nullptr;
    PFNGLMULTITEXCOORD2FARBPROC MultiTexCoord2f = nullptr;
    PFNGLMULTITEXCOORD3FARBPROC MultiTexCoord3f = nullptr;
    PFNGLPROGRAMSTRINGARBPROC ProgramString = nullptr;
    PFNGLBINDPROGRAMARBPROC BindProgram = nullptr;
    PFNGLDELETEPROGRAMSARBPROC DeletePrograms = nullptr;
    PFNGLGENPROGRAMSARBPROC GenPrograms = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FARBPROC ProgramLocalParameter4f = nullptr;
    PFNGLGENBUFFERSARBPROC GenBuffers = nullptr;
    PFNGLDELETEBUFFERSARBPROC DeleteBuffers = nullptr;
    PFNGLBINDBUFFERARBPROC BindBuffer = nullptr;
    PFNGLBUFFERDATAARBPROC BufferData = nullptr;
    PFNGLBUFFERSUBDATAARBPROC BufferSubData = nullptr;
    PFNGLBLENDFUNCSEPARATEPROC BlendFuncSeparate = nullptr;

    PFNGLGENFRAMEBUFFERSEXTPROC GenFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEREXTPROC BindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSEXTPROC GenRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEREXTPROC BindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEEXTPROC RenderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC FramebufferRenderbuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC FramebufferTexture2D = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC CheckFramebufferStatus = nullptr;
    PFNGLDELETEFRAMEBUFFERSEXTPROC DeleteFramebuffers = nullptr;
    PFNGLDELETERENDERBUFFERSEXTPROC DeleteRenderbuffers = nullptr;
    PFNGLGENERATEMIPMAPEXTPROC GenerateMipmap = nullptr;
};

extern GlFunctions g_gl;

#endif
