#include "DrawTestSupport.h"

#include "engine/render/GlFunctions.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <array>
#include <functional>

using namespace DrawTest;

namespace {

// The programs a light bound and the parameters it gave them, read back.
GLuint BoundProgram(GLenum target)
{
    static const auto get = reinterpret_cast<PFNGLGETPROGRAMIVARBPROC>(SDL_GL_GetProcAddress("glGetProgramivARB"));
    GLint name = 0;
    get(target, GL_PROGRAM_BINDING_ARB, &name);
    return GLuint(name);
}

std::array<float, 4> LocalParam(GLenum target, int index)
{
    static const auto get = reinterpret_cast<PFNGLGETPROGRAMLOCALPARAMETERFVARBPROC>(
        SDL_GL_GetProcAddress("glGetProgramLocalParameterfvARB"));
    std::array<float, 4> v{};
    get(target, GLuint(index), v.data());
    return v;
}

void ExpectParam(GLenum target, int index, std::array<float, 4> want)
{
    const std::array<float, 4> got = LocalParam(target, index);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(got[size_t(i)], want[size_t(i)], 1e-6f) << "parameter " << index << " component " << i;
}

class LightingPasses : public DrawFixture {
protected:
    // One light over a white floor quad covering the window, in the game's
    // order: destination alpha cleared (and set where blocked), light pass,
    // the light, the floor, end. Returns the window.
    std::vector<uint32_t> LightFloor(const std::function<void()>& beginLight, int blockedX0 = 1024)
    {
        if (white_ == 0)
            BindWhite();
        renderer_->BeginScene();
        renderer_->FillAlphaRect(0, 0, 1024, 768, 0);
        if (blockedX0 < 1024)
            renderer_->FillAlphaRect(blockedX0, 0, 1024, 768, 255);
        renderer_->BeginLightPass();
        beginLight();
        Quad floor = Rect(0, 0, 1024, 768);
        floor.depth = 0.5f;
        renderer_->DrawQuad(&floor, 1.0f);
        renderer_->EndLightPass();
        EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
        EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
        return Read();
    }
    void ExpectPrograms(int vertex, int fragment)
    {
        EXPECT_EQ(BoundProgram(GL_VERTEX_PROGRAM_ARB), renderer_->GetProgram(vertex));
        EXPECT_EQ(BoundProgram(GL_FRAGMENT_PROGRAM_ARB), renderer_->GetProgram(fragment));
    }
};

} // namespace

// A spot light facing +x: lit inside its cone, dark behind and beside its
// centre, for the object programs and both floor forms.
TEST_F(LightingPasses, SpotLightLightsItsConeAndLeavesWhatIsBehindDark)
{
    struct Variant {
        bool floor, flat;
        int vertex, fragment;
    };
    const Variant variants[] = {
        {false, false, Renderer_SDL::kLight1Vs, Renderer_SDL::kSpot1Fs},
        {true, false, Renderer_SDL::kFloorLight1Vs, Renderer_SDL::kFloorSpot1Fs},
        {true, true, Renderer_SDL::kFloorLight1FlatVs, Renderer_SDL::kFloorSpot1FlatFs},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(testing::Message() << "floor " << v.floor << " flat " << v.flat);
        const std::vector<uint32_t> px = LightFloor([&] {
            renderer_->BeginSpotLight(500, 400, 1, 0, 250, 1, 1, 1, v.floor, v.flat);
            ExpectPrograms(v.vertex, v.fragment);
            ExpectParam(GL_VERTEX_PROGRAM_ARB, 0, {500, 400, 1.5f, 0});
            ExpectParam(GL_VERTEX_PROGRAM_ARB, 1, {1 / 250.0f, 1 / 250.0f, 0, 0});
            ExpectParam(GL_FRAGMENT_PROGRAM_ARB, 1, {-1, 0, 0, 0});
        });
        EXPECT_GT(Red(PixelAt(px, 1024, 520, 400)), 240);                               // in front, on the axis
        EXPECT_GT(Red(PixelAt(px, 1024, 650, 400)), 80);                                // further along it
        EXPECT_GT(Red(PixelAt(px, 1024, 620, 430)), 60);                                // off the axis, inside the cone
        EXPECT_EQ(Red(PixelAt(px, 1024, 350, 400)), 0);                                 // behind
        EXPECT_EQ(Red(PixelAt(px, 1024, 480, 400)), 0);                                 // just behind
        EXPECT_EQ(Red(PixelAt(px, 1024, 500, 300)), 0);                                 // beside, within the radius
        EXPECT_EQ(Red(PixelAt(px, 1024, 800, 400)), 0);                                 // in front, beyond the radius
        EXPECT_EQ(Red(PixelAt(px, 1024, 520, 400)), Blue(PixelAt(px, 1024, 520, 400))); // white light
        if (!v.floor)
            ExpectMatchesGolden("light_spot", px, 1024, 768);
    }
}

// A sign light facing down: its centre sits 20 pixels in front of the
// position, and only the half-plane in front of that is lit, in its colour.
TEST_F(LightingPasses, SignLightLightsOnlyInFrontOfItsMovedCentre)
{
    const std::vector<uint32_t> px = LightFloor([&] {
        renderer_->BeginSignLight(500, 400, 0, 1, 200, 1, 0.5f, 0.25f);
        ExpectPrograms(Renderer_SDL::kLight1Vs, Renderer_SDL::kSignFs);
        ExpectParam(GL_VERTEX_PROGRAM_ARB, 0, {500, 420, 1.5f, 0});
        ExpectParam(GL_VERTEX_PROGRAM_ARB, 1, {1 / 200.0f, 1 / 200.0f, 0, 0});
        ExpectParam(GL_FRAGMENT_PROGRAM_ARB, 0, {1, 0.5f, 0.25f, 1});
        ExpectParam(GL_FRAGMENT_PROGRAM_ARB, 1, {0, -1, 0, 0});
    });
    const uint32_t front = PixelAt(px, 1024, 500, 500);
    EXPECT_NEAR(Red(front), 180, 6);
    EXPECT_NEAR(Green(front), 90, 4);
    EXPECT_NEAR(Blue(front), 45, 4);
    EXPECT_GT(Red(PixelAt(px, 1024, 500, 440)), 60);
    EXPECT_LT(Red(PixelAt(px, 1024, 500, 440)), Red(front)); // close to the sign's plane: dimmer
    EXPECT_EQ(Red(PixelAt(px, 1024, 500, 412)), 0);          // in front of the position, behind the centre
    EXPECT_EQ(Red(PixelAt(px, 1024, 500, 350)), 0);
    EXPECT_EQ(Red(PixelAt(px, 1024, 500, 700)), 0); // beyond the radius
    ExpectMatchesGolden("light_sign", px, 1024, 768);
}

// A tube light glows along a vertical segment of 100 pixels around its
// position; destination alpha set beforehand keeps it off the right side,
// and the seven trailing arguments change nothing.
TEST_F(LightingPasses, TubeLightGlowsAlongItsSegmentWhereAlphaLetsIt)
{
    const std::vector<uint32_t> px = LightFloor(
        [&] {
            renderer_->BeginTubeLight(500, 400, 1, 2, 3, 4, 5, 6, 7);
            ExpectPrograms(Renderer_SDL::kTube1Vs, Renderer_SDL::kTube1Fs);
            ExpectParam(GL_FRAGMENT_PROGRAM_ARB, 0, {500, 400, 0, 0});
            ExpectParam(GL_FRAGMENT_PROGRAM_ARB, 1, {50, 0, 0, 0});
            ExpectParam(GL_FRAGMENT_PROGRAM_ARB, 2, {0, 1, 0, 0});
        },
        520);
    const uint32_t onTube = PixelAt(px, 1024, 500, 440);
    EXPECT_GE(Blue(onTube), 250);
    EXPECT_NEAR(Red(onTube), 191, 4); // the tube's own cool white
    EXPECT_EQ(Blue(PixelAt(px, 1024, 500, 360)), Blue(onTube));
    EXPECT_GT(Blue(PixelAt(px, 1024, 500, 470)), 150); // 20 past the end
    EXPECT_EQ(Blue(PixelAt(px, 1024, 500, 300)), 0);   // 50 past the end
    EXPECT_GT(Blue(PixelAt(px, 1024, 460, 400)), 10);  // 40 beside it
    EXPECT_EQ(Blue(PixelAt(px, 1024, 540, 400)), 0);   // as far on the blocked side
    EXPECT_EQ(Blue(PixelAt(px, 1024, 420, 400)), 0);
    ExpectMatchesGolden("light_tube", px, 1024, 768);

    const std::vector<uint32_t> other =
        LightFloor([&] { renderer_->BeginTubeLight(500, 400, -9, 90, 0, 1e6f, -1, 0.5f, 3); }, 520);
    EXPECT_EQ(other, px);
}
