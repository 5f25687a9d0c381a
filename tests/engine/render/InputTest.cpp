#include "RenderTestSupport.h"

#include "engine/render/InputState.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

TEST(InputState, KeyTableMapsKeysToActions)
{
    InputState in;
    struct Case {
        int key, action;
    } cases[] = {
        {27, 0},   {13, 1},   {32, 2},   {8, 3},    {127, 4},  {282, 5},  {293, 16}, {48, 17},  {54, 23},
        {276, 24}, {275, 25}, {273, 26}, {274, 27}, {'a', 28}, {'n', 41}, {'y', 52}, {'z', 53}, {9, 54},
        {303, 55}, {304, 56}, {305, 57}, {306, 58}, {307, 59}, {308, 60}, {'+', 61}, {'-', 62},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(in.GetKeyOfAction(c.action), c.key) << c.action;
        in.KeyDown(c.key, 0);
        EXPECT_TRUE(in.IsActionDown(c.action)) << c.key;
        EXPECT_TRUE(in.IsKeyDown(c.key));
        in.KeyUp(c.key);
        // A press let go in its batch is seen held by that frame, and its
        // press is kept until the next batch, where the key is up.
        EXPECT_TRUE(in.IsKeyDown(c.key)) << c.key;
        EXPECT_TRUE(in.WasActionPressed(c.action)) << c.key;
        in.BeginEvents();
        EXPECT_FALSE(in.IsActionDown(c.action)) << c.key;
        EXPECT_FALSE(in.IsKeyDown(c.key));
        EXPECT_FALSE(in.WasActionPressed(c.action)) << c.key;
    }
    // Pressed again after a release in one batch: up until the next, where
    // a press and its release (a doubled letter typed) are never seen held.
    in.KeyDown('e', u'e');
    in.BeginEvents();
    in.KeyUp('e');
    in.KeyDown('e', u'e');
    EXPECT_FALSE(in.IsKeyDown('e'));
    in.BeginEvents();
    EXPECT_TRUE(in.IsKeyDown('e'));
    in.KeyUp('e');
    in.KeyDown('e', u'e');
    in.KeyUp('e');
    in.BeginEvents();
    EXPECT_FALSE(in.IsKeyDown('e'));
    // A letter typed three times in a batch is held by it, and let go by
    // the next: nothing of the typing lingers.
    for (int i = 0; i < 3; ++i) {
        in.KeyDown('o', u'o');
        in.KeyUp('o');
    }
    EXPECT_TRUE(in.IsKeyDown('o'));
    for (int i = 0; i < 2; ++i) {
        in.BeginEvents();
        EXPECT_FALSE(in.IsKeyDown('o')) << i;
    }
    // Backspace tapped twice in a batch types no text: held by this batch
    // and again by the one after the next.
    for (int i = 0; i < 2; ++i)
        in.KeyDown(8, 8), in.KeyUp(8);
    for (bool held : {true, false, true, false}) {
        EXPECT_EQ(in.IsKeyDown(8), held);
        in.BeginEvents();
    }
    EXPECT_EQ(in.GetKeyOfAction(63), -1);
    EXPECT_EQ(in.GetKeyOfAction(-1), -1);
    EXPECT_EQ(in.GetKeyOfAction(255), -1);
    // '7' has no action; out-of-range actions are never down.
    in.KeyDown('7', 0);
    EXPECT_TRUE(in.IsKeyDown('7'));
    for (int a : {-1, 63, 256, 100000})
        EXPECT_FALSE(in.IsActionDown(a)) << a;
}

TEST(InputState, LastKeyIsUpperCasedAndClearedOnRelease)
{
    InputState in;
    in.KeyDown('q', u'q');
    EXPECT_EQ(in.GetLastKey(), 'Q');
    in.KeyUp('q');
    EXPECT_EQ(in.GetLastKey(), 0);
    in.KeyDown(282, 0);
    EXPECT_EQ(in.GetLastKey(), 282);
}

TEST(InputState, TypedCharactersAndTextLine)
{
    InputState in;
    in.KeyDown('h', u'h');
    in.KeyUp('h');
    in.KeyDown('i', u'i');
    in.KeyUp('i');
    // Ctrl+C: unicode 3 is below 31, so the key code is stored instead.
    in.KeyDown('c', 3);
    in.KeyUp('c');
    ASSERT_EQ(in.GetTypedCharCount(), 3);
    EXPECT_EQ(in.GetTypedChars()[0], u'h');
    EXPECT_EQ(in.GetTypedChars()[1], u'i');
    EXPECT_EQ(in.GetTypedChars()[2], u'c');
    EXPECT_EQ(std::u16string(in.GetTextLine()), u"hi");
    in.KeyDown(8, 8);
    in.KeyUp(8);
    EXPECT_EQ(std::u16string(in.GetTextLine()), u"h");
    in.KeyDown(13, 13);
    in.KeyUp(13);
    EXPECT_TRUE(in.TakeEnterPressed());
    EXPECT_FALSE(in.TakeEnterPressed());
    EXPECT_EQ(std::u16string(in.GetTextLine()), u"h");
    // Control characters reach the typed characters but not the line.
    in.ClearTypedChars();
    for (auto [key, u] : {std::pair<int, char16_t>{27, 27}, {9, 9}, {127, 127}}) {
        in.KeyDown(key, u);
        in.KeyUp(key);
    }
    EXPECT_EQ(in.GetTypedCharCount(), 3);
    EXPECT_EQ(std::u16string(in.GetTextLine()), u"h");
    // Backspace on an empty line does nothing.
    in.ClearTextLine();
    in.KeyDown(8, 8);
    EXPECT_EQ(std::u16string(in.GetTextLine()), u"");
}

TEST(InputState, AltReturnCountsAsReturn)
{
    InputState in;
    in.KeyDown(13, 13); // the renderer toggles full screen besides
    EXPECT_TRUE(in.IsActionDown(1));
    EXPECT_TRUE(in.TakeEnterPressed());
}

TEST(InputState, BuffersStopAtTheirCapacity)
{
    InputState in;
    for (int i = 0; i < 1100; ++i) {
        in.KeyDown('x', u'x');
        in.KeyUp('x');
    }
    EXPECT_EQ(in.GetTypedCharCount(), InputState::kMaxTypedChars);
    EXPECT_EQ(std::u16string(in.GetTextLine()).size(), 1023u);
    in.ClearTypedChars();
    in.KeyDown('y', u'y');
    EXPECT_EQ(in.GetTypedCharCount(), 1);
    EXPECT_EQ(std::u16string(in.GetTextLine()).size(), 1023u);
    // A longer line handed in is cut to what the buffer holds.
    std::u16string longLine(3000, u'w');
    in.SetTextLine(longLine.c_str());
    EXPECT_EQ(std::u16string(in.GetTextLine()), std::u16string(1023, u'w'));
}

TEST(InputState, HeldKeyIsIgnoredAfterTheLineIsSet)
{
    InputState in;
    in.KeyDown('a', u'a');
    in.SetTextLine(u"go");
    in.KeyDown('a', u'a'); // key repeat of the held key
    in.KeyDown('b', u'b');
    EXPECT_EQ(std::u16string(in.GetTextLine()), u"go");
    EXPECT_EQ(in.GetTypedCharCount(), 1);
    EXPECT_TRUE(in.IsActionDown(29)); // states still follow the keys
    in.KeyUp('b');
    in.KeyDown('c', u'c');
    EXPECT_EQ(std::u16string(in.GetTextLine()), u"goc");
}

TEST(InputState, HighKeyCodesReachOnlyTheText)
{
    InputState in;
    in.KeyDown(600, u'\u00e9');
    EXPECT_FALSE(in.IsKeyDown(600));
    EXPECT_EQ(in.GetTypedCharCount(), 1);
    EXPECT_EQ(in.GetTypedChars()[0], u'\u00e9');
    EXPECT_EQ(std::u16string(in.GetTextLine()), u"\u00e9");
    in.KeyUp(600);
}

TEST(InputState, MouseButtonsWheelAndMotion)
{
    InputState in;
    in.ButtonDown(1);
    in.ButtonDown(2);
    EXPECT_TRUE(in.IsMouseButtonDown(0));
    EXPECT_FALSE(in.IsMouseButtonDown(1));
    EXPECT_TRUE(in.IsMouseButtonDown(2));
    EXPECT_TRUE(in.IsKeyDown(1000));
    EXPECT_TRUE(in.IsKeyDown(1001));
    EXPECT_FALSE(in.IsKeyDown(1002));
    in.ButtonDown(3);
    EXPECT_TRUE(in.IsMouseButtonDown(1));
    EXPECT_TRUE(in.IsKeyDown(1002));
    EXPECT_FALSE(in.IsMouseButtonDown(3));
    EXPECT_FALSE(in.IsKeyDown(1003));
    EXPECT_FALSE(in.IsKeyDown(-5));
    // A release in a later batch of events than the press is at once; a
    // press after it in the same batch waits for the next, so that the
    // release is seen.
    in.BeginEvents();
    in.ButtonUp(1);
    EXPECT_FALSE(in.IsMouseButtonDown(0));
    in.ButtonDown(1);
    in.ButtonUp(1);
    EXPECT_FALSE(in.IsMouseButtonDown(0));
    in.BeginEvents();
    EXPECT_TRUE(in.IsMouseButtonDown(0));
    in.BeginEvents();
    EXPECT_FALSE(in.IsMouseButtonDown(0));
    in.ButtonDown(4);
    in.ButtonDown(4);
    in.ButtonDown(5);
    EXPECT_FLOAT_EQ(in.TakeWheelDelta(), 1.0f);
    EXPECT_FLOAT_EQ(in.TakeWheelDelta(), 0.0f);
    in.BeginEvents();
    in.MouseMotion(10, 20, 3, -4);
    in.MouseMotion(12, 25, 2, 5);
    int x = 0, y = 0;
    in.GetMousePosition(&x, &y);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 25);
    EXPECT_FLOAT_EQ(in.TakeMouseDeltaX(), 5.0f);
    EXPECT_FLOAT_EQ(in.TakeMouseDeltaY(), 1.0f);
    EXPECT_FLOAT_EQ(in.TakeMouseDeltaX(), 0.0f);
    // The pointer stays where a click was let go until the next batch.
    in.ButtonDown(1);
    in.BeginEvents();
    in.ButtonUp(1);
    in.MouseMotion(300, 40, 288, 15);
    in.GetMousePosition(&x, &y);
    EXPECT_EQ(x, 12);
    in.BeginEvents();
    in.GetMousePosition(&x, &y);
    EXPECT_EQ(x, 300);
    EXPECT_FLOAT_EQ(in.TakeMouseDeltaX(), 288.0f);
}

namespace {

void PushKey(Uint8 type, SDLKey sym, Uint16 unicode, SDLMod mod = KMOD_NONE)
{
    SDL_Event e = {};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    e.key.keysym.unicode = unicode;
    e.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

} // namespace

TEST(RendererEvents, QueuedEventsReachInputAndText)
{
    REQUIRE_DISPLAY();
    RenderTest::GameDir game(false);
    Renderer_SDL r(GetEngine(), game.Files());
    r.SetUseFonts(false);
    ASSERT_TRUE(r.Init(320, 240, 32, false, false));
    IInput* input = &r;
    r.Present(); // what the window itself queued
    PushKey(SDL_KEYDOWN, SDLK_a, 'a');
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 40;
    motion.motion.y = 30;
    motion.motion.xrel = 7;
    motion.motion.yrel = -2;
    ASSERT_EQ(SDL_PushEvent(&motion), 0);
    SDL_Event button = {};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    ASSERT_EQ(SDL_PushEvent(&button), 0);
    button.button.button = SDL_BUTTON_WHEELUP;
    ASSERT_EQ(SDL_PushEvent(&button), 0);
    EXPECT_FALSE(r.Present());
    EXPECT_TRUE(input->IsActionDown(28));
    EXPECT_TRUE(input->IsKeyDown('a'));
    EXPECT_EQ(r.GetLastKey(), 'A');
    ASSERT_EQ(r.GetTypedCharCount(), 1);
    EXPECT_EQ(r.GetTypedChars()[0], u'a');
    EXPECT_EQ(std::u16string(r.GetTextLine()), u"a");
    EXPECT_TRUE(input->IsMouseButtonDown(1));
    EXPECT_FLOAT_EQ(input->TakeWheelDelta(), 1.0f);
    EXPECT_FLOAT_EQ(input->TakeMouseDeltaX(), 7.0f);
    int x = 0, y = 0;
    r.GetMousePosition(&x, &y);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);

    // A quit returns at once; what follows it waits for the next frame.
    PushKey(SDL_KEYUP, SDLK_a, 0);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 0);
    PushKey(SDL_KEYDOWN, SDLK_RETURN, 13);
    EXPECT_TRUE(r.Present());
    EXPECT_FALSE(input->IsActionDown(28));
    EXPECT_FALSE(r.TakeEnterPressed());
    EXPECT_FALSE(r.Present());
    EXPECT_TRUE(input->IsActionDown(1));
    EXPECT_TRUE(r.TakeEnterPressed());

    // A click pressed and released within one frame is down for that frame.
    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    ASSERT_EQ(SDL_PushEvent(&click), 0);
    click.type = SDL_MOUSEBUTTONUP;
    ASSERT_EQ(SDL_PushEvent(&click), 0);
    EXPECT_FALSE(r.Present());
    EXPECT_TRUE(input->IsMouseButtonDown(0));
    EXPECT_FALSE(r.Present());
    EXPECT_FALSE(input->IsMouseButtonDown(0));
    r.Shutdown();
}

TEST(RendererEvents, ViewScaleRoundsDownToEven)
{
    REQUIRE_DISPLAY();
    struct Case {
        int w, h;
        float s;
        int vw, vh;
    } cases[] = {
        {1024, 768, 0.75f, 768, 576},
        {1024, 768, 1.0f, 1024, 768},
        {101, 77, 1.0f, 100, 76},
        {1000, 750, 1.1f, 1100, 824},
    };
    RenderTest::GameDir game(false);
    for (const Case& c : cases) {
        Renderer_SDL r(GetEngine(), game.Files());
        r.SetUseFonts(false);
        ASSERT_TRUE(r.Init(c.w, c.h, 32, false, false));
        EXPECT_EQ(r.SetViewScale(c.s), c.vh) << c.w << "x" << c.h << " * " << c.s;
        EXPECT_EQ(r.GetViewWidth(), c.vw);
        EXPECT_EQ(r.GetViewHeight(), c.vh);
    }
}
