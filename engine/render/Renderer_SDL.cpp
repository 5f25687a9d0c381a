#ifndef VORNHAL_DEDICATED

#include "engine/render/Renderer_SDL.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/png/PngImage.h"
#include "engine/render/GlFunctions.h"
#include "engine/render/Texture_SDL.h"
#include "platform/gl/GlxContext.h"
#include "platform/gl/Video.h"
#include "platform/os/ExitHooks.h"
#include "platform/ui/Ui.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <SDL.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

const char16_t* const Renderer_SDL::kProgramFiles[kProgramCount] = {
    u"shaders/floors/ambient_vs.txt",
    u"shaders/floors/ambient_fs.txt",
    u"shaders/floors/ambient_flat_vs.txt",
    u"shaders/floors/ambient_flat_fs.txt",
    u"shaders/floors/light1_vs.txt",
    u"shaders/floors/light1_fs.txt",
    u"shaders/floors/spot1_fs.txt",
    u"shaders/floors/light1_flat_vs.txt",
    u"shaders/floors/light1_flat_fs.txt",
    u"shaders/floors/spot1_flat_fs.txt",
    u"shaders/ambient_obj_vs.txt",
    u"shaders/ambient_obj_fs.txt",
    u"shaders/ambient_wall_fs.txt",
    u"shaders/ambient_vs.txt",
    u"shaders/light1_vs.txt",
    u"shaders/light1_fs.txt",
    u"shaders/spot1_fs.txt",
    u"shaders/sign_fs.txt",
    u"shaders/tube1_vs.txt",
    u"shaders/tube1_fs.txt",
};

namespace {

// X core fonts in the sizes and weights of the two text faces, most
// wanted first; "fixed" is always there.
const char* const kLargeFontNames[] = {"-*-dejavu sans-bold-r-normal--17-*-*-*-p-*-iso8859-1",
                                       "-*-helvetica-bold-r-normal--17-*-*-*-p-*-iso8859-1",
                                       "-*-*-bold-r-normal--17-*-*-*-*-*-iso8859-1",
                                       "-*-*-bold-r-normal--18-*-*-*-*-*-iso8859-1",
                                       "9x15bold",
                                       "fixed",
                                       nullptr};
const char* const kSmallFontNames[] = {"-*-dejavu sans-medium-r-normal--12-*-*-*-p-*-iso8859-1",
                                       "-*-helvetica-medium-r-normal--12-*-*-*-p-*-iso8859-1",
                                       "-*-*-medium-r-normal--12-*-*-*-*-*-iso8859-1",
                                       "6x12",
                                       "fixed",
                                       nullptr};

// freeglut ends the process when its fonts are used before glutInit.
void InitGlutOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    int argc = 1;
    char name[] = "vornhal";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
}

} // namespace

Renderer_SDL::Renderer_SDL(IEngine* engine, IFileManager* files)
    : engine_(engine), files_(files ? files : (engine ? engine->GetFileManager() : nullptr))
{
}

Renderer_SDL::~Renderer_SDL()
{
    Shutdown();
    miniMapTarget_.Forget();
    gameMapTarget_.Forget();
    // The textures belong to the engine's cache and outlive the renderer.
    for (int i = 0; i < textures_.GetCount(); ++i)
        textures_.Get(i)->Detach();
    textures_.Clear();
    for (int i = 0; i < atlases_.GetCount(); ++i)
        atlases_.Get(i)->Detach();
    for (int i = 0; i < atlases_.GetCount(); ++i)
        delete atlases_.Get(i);
    atlases_.Clear();
    for (int i = 0; i < windows_.GetCount(); ++i)
        delete windows_.Get(i);
    windows_.Clear();
}

void Renderer_SDL::SetUseFonts(bool use) { useFonts_ = use; }

bool Renderer_SDL::Init(int width, int height, int, bool fullscreen, bool vsync)
{
    windowWidth_ = width;
    windowHeight_ = height;
    viewWidth_ = width;
    viewHeight_ = height;
    SetViewScale(1.0f);
    GlFunctions::SetLoader(GlFunctions::Loader::Sdl);
    // A renderer shut down before (SDL_Quit) may be set up again.
    if (!Gl::StartVideo()) {
        Ui::ShowMessage(Util::Widen(SDL_GetError()).c_str(), u"Couldn't set GL mode", Ui::Icon::Error);
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 1);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, vsync ? 1 : 0);
    Uint32 flags = SDL_OPENGL | (fullscreen ? SDL_FULLSCREEN : 0);
    if (!SDL_SetVideoMode(width, height, 32, flags)) {
        Ui::ShowMessage(Util::Widen(SDL_GetError()).c_str(), u"Couldn't set GL mode", Ui::Icon::Error);
        SDL_Quit();
        return false;
    }
    SDL_WM_SetCaption("Vornhal", "halmire");
    if (fullscreen)
        SDL_ShowCursor(0);
    // The lighting passes blend with destination alpha.
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits_);
    if (alphaBits_ < 8)
        std::fprintf(stderr, "Warning: the GL visual has %d alpha bits; lighting needs 8\n", alphaBits_);
    if (!InitGL(width, height))
        return false;
    if (useFonts_)
        BuildFonts();
    SDL_EnableUNICODE(1);
    return true;
}

void Renderer_SDL::BuildFonts()
{
    if (!Gl::XBitmapFont::HaveDisplay())
        engine_->FatalError("Device context doesn't exist");
    if (!largeFont_.Build(kLargeFontNames, kLargeFontBase) || !smallFont_.Build(kSmallFontNames, kSmallFontBase))
        engine_->FatalError("Creating font failed");
}

bool Renderer_SDL::InitForWindow(int width, int height, NativeWindow window)
{
    GlFunctions::SetLoader(GlFunctions::Loader::Glx);
    if (!rootContext_)
        rootContext_ = Gl::GlxContext::Create(window, nullptr);
    if (!rootContext_ || !rootContext_->MakeCurrent())
        return false;
    windowWidth_ = width;
    windowHeight_ = height;
    SetViewScale(viewScale_);
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits_);
    return InitGL(width, height);
}

bool Renderer_SDL::InitGL(int width, int height)
{
    if (const char* missing = GlFunctions::LoadRequired()) {
        std::string text = std::string(missing) + " extension must be supported";
        engine_->FatalError(text.c_str());
    }
    targetsSupported_ = GlFunctions::LoadFramebufferObjects();
    ApplyGlState(width, height);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize < 2048)
        engine_->FatalError("At least 2048 pixels texture size must be supported.");
    atlasWidth_ = atlasHeight_ = maxSize > 2048 ? 2048 : maxSize;
    InitGlutOnce();
    videoModeSet_ = true;
    return true;
}

void Renderer_SDL::ApplyGlState(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, width, height, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDepthFunc(GL_GEQUAL);
    glShadeModel(GL_FLAT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_MULTISAMPLE);
    g_gl.ActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    g_gl.ActiveTexture(GL_TEXTURE1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    g_gl.ActiveTexture(GL_TEXTURE0);
}

RenderWindow* Renderer_SDL::FindWindow(NativeWindow window, int* index)
{
    for (int i = 0; i < windows_.GetCount(); ++i) {
        if (windows_.Get(i)->window == window) {
            if (index)
                *index = i;
            return windows_.Get(i);
        }
    }
    return nullptr;
}

bool Renderer_SDL::MakeWindowCurrent(NativeWindow window, int width, int height)
{
    RenderWindow* w = FindWindow(window, nullptr);
    bool fresh = false;
    if (!w) {
        // Every window's context shares textures and lists with the first.
        Gl::GlxContext* share =
            rootContext_ ? rootContext_ : (windows_.GetCount() > 0 ? windows_.Get(0)->context : nullptr);
        Gl::GlxContext* context = Gl::GlxContext::Create(window, share);
        if (!context)
            return false;
        w = new RenderWindow{window, context, width, height};
        windows_.Add(w);
        fresh = true;
    }
    w->width = width;
    w->height = height;
    if (!w->context->MakeCurrent())
        return false;
    windowWidth_ = width;
    windowHeight_ = height;
    viewWidth_ = width;
    viewHeight_ = height;
    // A new context starts from GL's defaults, not from the common state.
    if (fresh && g_gl.ActiveTexture)
        ApplyGlState(width, height);
    // Bindings belong to the context that was current.
    ForgetBoundTextures();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, width, height, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return true;
}

void Renderer_SDL::ReleaseWindow(NativeWindow window)
{
    int index = -1;
    RenderWindow* w = FindWindow(window, &index);
    if (!w)
        return;
    delete w->context; // leaves no context current when it was the current one
    windows_.RemoveAt(index);
    delete w;
}

void Renderer_SDL::PresentWindow(NativeWindow window, int, int, int, int, int, int, int, int) { SwapWindow(window); }

void Renderer_SDL::SwapWindow(NativeWindow window)
{
    RenderWindow* w = FindWindow(window, nullptr);
    if (!w)
        return;
    if (w->context->IsCurrent())
        CapturePendingScreenshot();
    w->context->Swap();
}

bool Renderer_SDL::LoadShaders()
{
    for (int i = 0; i < kProgramCount; ++i) {
        const std::u16string name(kProgramFiles[i]);
        const bool vertex = name.compare(name.size() - 7, 7, u"_vs.txt") == 0;
        if (programs_[i] != 0) {
            GLuint old = programs_[i];
            g_gl.DeletePrograms(1, &old);
            programs_[i] = 0;
        }
        programs_[i] = LoadProgram(kProgramFiles[i], vertex ? GL_VERTEX_PROGRAM_ARB : GL_FRAGMENT_PROGRAM_ARB);
        if (programs_[i] == 0)
            return false;
    }
    if (gameMapTexture_ == 0) {
        gameMapPixels_.reset(new uint8_t[size_t(gameMapWidth_) * gameMapHeight_ * 4]());
        g_gl.ActiveTexture(GL_TEXTURE0);
        GLuint t = 0;
        glGenTextures(1, &t);
        gameMapTexture_ = t;
        glBindTexture(GL_TEXTURE_2D, t);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, gameMapWidth_, gameMapHeight_, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     gameMapPixels_.get());
        glBindTexture(GL_TEXTURE_2D, 0);
        ForgetBoundTextures();
    }
    return true;
}

unsigned Renderer_SDL::LoadProgram(const char16_t* path, unsigned target)
{
    IFile* file = files_ ? files_->Open(path, 0, 0) : nullptr;
    if (!file)
        return 0;
    std::vector<char> text;
    char chunk[4096];
    for (int n; (n = file->Read(chunk, int(sizeof chunk))) > 0;)
        text.insert(text.end(), chunk, chunk + n);
    delete file;
    text.push_back('\0');

    GLuint program = 0;
    g_gl.GenPrograms(1, &program);
    g_gl.BindProgram(target, program);
    while (glGetError() != GL_NO_ERROR) {
    }
    g_gl.ProgramString(target, GL_PROGRAM_FORMAT_ASCII_ARB, GLsizei(text.size() - 1), text.data());
    GLint errorPosition = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    if (glGetError() != GL_NO_ERROR || errorPosition != -1) {
        const char* detail = reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        std::string message = "Loading " + Util::ToUtf8(path) + " failed:\n" + (detail ? detail : "");
        std::fprintf(stderr, "%s\n", message.c_str());
        Shutdown();
        Ui::ShowMessage(u"Error!", u"All shader features are not supported by the graphics card or driver",
                        Ui::Icon::Error);
        Os::ExitNow(255);
    }
    g_gl.BindProgram(target, 0);
    return program;
}

void Renderer_SDL::BindPrograms(unsigned vertexProgram, unsigned fragmentProgram)
{
    const struct {
        GLenum target;
        unsigned name;
    } stages[] = {{GL_VERTEX_PROGRAM_ARB, vertexProgram}, {GL_FRAGMENT_PROGRAM_ARB, fragmentProgram}};
    for (const auto& s : stages) {
        if (s.name != 0)
            glEnable(s.target);
        else
            glDisable(s.target);
        g_gl.BindProgram(s.target, s.name);
    }
}

bool Renderer_SDL::IsReady() { return true; }

bool Renderer_SDL::HaveContext() const { return videoModeSet_ || (rootContext_ && rootContext_->IsCurrent()); }

void Renderer_SDL::Shutdown()
{
    screenshotPending_ = false;
    if (rootContext_ && !Gl::XBitmapFont::HaveDisplay())
        rootContext_->MakeCurrent();
    // GL names go while their context still exists; a second call finds
    // nothing left to free.
    const bool context = HaveContext();
    if (context) {
        if (gameMapTexture_ != 0) {
            GLuint t = gameMapTexture_;
            glDeleteTextures(1, &t);
        }
        for (unsigned& p : programs_) {
            if (p != 0 && g_gl.DeletePrograms) {
                GLuint name = p;
                g_gl.DeletePrograms(1, &name);
            }
        }
        miniMapTarget_.Destroy();
        gameMapTarget_.Destroy();
        for (int i = 0; i < textures_.GetCount(); ++i)
            textures_.Get(i)->Unload(true);
        for (int i = 0; i < atlases_.GetCount(); ++i)
            atlases_.Get(i)->Unload(true);
        largeFont_.Free();
        smallFont_.Free();
    } else {
        miniMapTarget_.Forget();
        gameMapTarget_.Forget();
        for (int i = 0; i < textures_.GetCount(); ++i)
            textures_.Get(i)->Unload(false);
        for (int i = 0; i < atlases_.GetCount(); ++i)
            atlases_.Get(i)->Unload(false);
    }
    gameMapTexture_ = 0;
    for (unsigned& p : programs_)
        p = 0;
    gameMapPixels_.reset();
    miniMapTargetActive_ = gameMapTargetActive_ = false;
    ForgetBoundTextures();
    for (int i = 0; i < windows_.GetCount(); ++i) {
        delete windows_.Get(i)->context;
        delete windows_.Get(i);
    }
    windows_.Clear();
    delete rootContext_;
    rootContext_ = nullptr;
    if (SDL_WasInit(SDL_INIT_EVERYTHING)) {
        if (SDL_WasInit(SDL_INIT_VIDEO))
            SDL_WM_GrabInput(SDL_GRAB_OFF);
        SDL_Quit();
    }
    videoModeSet_ = false;
}

void Renderer_SDL::SaveScreenshot(const char16_t* dir)
{
    // The frame is read just before it is shown: right after a swap the back
    // buffer holds nothing defined.
    screenshotPending_ = true;
    screenshotDir_ = dir ? dir : u"";
}

void Renderer_SDL::CapturePendingScreenshot()
{
    if (!screenshotPending_)
        return;
    screenshotPending_ = false;
    IFile* file = nullptr;
    if (!screenshotDir_.empty()) {
        std::u16string path = screenshotDir_ + u"/screenshot.png";
        if (path.size() > 1024)
            return;
        file = files_ ? files_->Open(path.c_str(), 1, 5) : nullptr;
    } else {
        file = files_ ? files_->Open(u"screenshot.png", 1, 4) : nullptr;
    }
    if (!file)
        return;
    const int w = windowWidth_, h = windowHeight_;
    if (w > 0 && h > 0) {
        std::vector<uint32_t> pixels(size_t(w) * size_t(h));
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        PngImage png(file);
        png.SetPixels(w, h, pixels.data());
        png.Write();
        file->Flush();
    }
    delete file;
}

void Renderer_SDL::SetBrightness(float brightness)
{
    const float g = 2.0f * brightness + 0.3f;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_SetGamma(g, g, g); // a display without gamma ramps refuses; nothing to do then
}

void Renderer_SDL::SetCursorVisible(bool show)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    SDL_WM_GrabInput(show ? SDL_GRAB_OFF : SDL_GRAB_ON);
    SDL_ShowCursor(show ? 1 : 0);
}

void Renderer_SDL::GetMousePosition(int* x, int* y) { input_.GetMousePosition(x, y); }

int Renderer_SDL::SetViewScale(float scale)
{
    const bool target = miniMapTargetActive_ || gameMapTargetActive_;
    const float w = (target ? 256.0f : float(windowWidth_)) * scale;
    const float h = (target ? 256.0f : float(windowHeight_)) * scale;
    viewWidth_ = int(std::floor(w / 2.0f)) * 2;
    viewHeight_ = int(std::floor(h / 2.0f)) * 2;
    viewScale_ = scale;
    return viewHeight_;
}

int Renderer_SDL::GetViewWidth() { return viewWidth_; }

int Renderer_SDL::GetViewHeight() { return viewHeight_; }

bool Renderer_SDL::Present()
{
    CapturePendingScreenshot();
    if (videoModeSet_)
        SDL_GL_SwapBuffers();
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    SDL_Event event;
    input_.BeginEvents();
    for (int i = 0; i < 101 && SDL_PollEvent(&event); ++i)
        if (HandleEvent(event))
            return true;
    return false;
}

bool Renderer_SDL::HandleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN: {
        const SDL_keysym& key = event.key.keysym;
        if (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT) && SDL_GetVideoSurface())
            SDL_WM_ToggleFullScreen(SDL_GetVideoSurface());
        input_.KeyDown(int(key.sym), char16_t(key.unicode));
        break;
    }
    case SDL_KEYUP:
        input_.KeyUp(int(event.key.keysym.sym));
        break;
    case SDL_MOUSEMOTION:
        input_.MouseMotion(event.motion.x, event.motion.y, event.motion.xrel, event.motion.yrel);
        break;
    case SDL_MOUSEBUTTONDOWN:
        input_.ButtonDown(event.button.button);
        break;
    case SDL_MOUSEBUTTONUP:
        input_.ButtonUp(event.button.button);
        break;
    case SDL_QUIT:
        return true;
    default:
        break;
    }
    return false;
}

void Renderer_SDL::SetTextLine(const char16_t* text) { input_.SetTextLine(text); }
void Renderer_SDL::ClearTextLine() { input_.ClearTextLine(); }
bool Renderer_SDL::TakeEnterPressed() { return input_.TakeEnterPressed(); }
const char16_t* Renderer_SDL::GetTextLine() { return input_.GetTextLine(); }
short Renderer_SDL::GetLastKey() { return input_.GetLastKey(); }
const char16_t* Renderer_SDL::GetTypedChars() { return input_.GetTypedChars(); }
int Renderer_SDL::GetTypedCharCount() { return input_.GetTypedCharCount(); }
void Renderer_SDL::ClearTypedChars() { input_.ClearTypedChars(); }

// SDL delivers keyboard and mouse to the frame pump: nothing to prepare.
bool Renderer_SDL::InitKeyboard() { return true; }
bool Renderer_SDL::InitKeyboardForWindow(int) { return true; }
bool Renderer_SDL::InitMouse() { return true; }
bool Renderer_SDL::InitMouseForWindow(int) { return true; }
void Renderer_SDL::ReleaseKeyboard() {}
void Renderer_SDL::ReleaseMouse() {}
bool Renderer_SDL::Update() { return true; }
bool Renderer_SDL::IsActionDown(int action) { return input_.IsActionDown(action); }
bool Renderer_SDL::WasActionPressed(int action) { return input_.WasActionPressed(action); }
float Renderer_SDL::TakeMouseDeltaX() { return input_.TakeMouseDeltaX(); }
float Renderer_SDL::TakeMouseDeltaY() { return input_.TakeMouseDeltaY(); }
float Renderer_SDL::TakeWheelDelta() { return input_.TakeWheelDelta(); }
bool Renderer_SDL::IsMouseButtonDown(int button) { return input_.IsMouseButtonDown(button); }
bool Renderer_SDL::IsKeyDown(int key) { return input_.IsKeyDown(key); }
int Renderer_SDL::GetKeyOfAction(int action) { return input_.GetKeyOfAction(action); }

#endif
