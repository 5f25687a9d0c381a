#include "StateFixture.h"
#include "support-game/RendererRig.h"
#include "support/DisplayCheck.h"

#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "game/world/resources/ResourceScript.h"

#include <GL/gl.h>

#include <cstdlib>
#include <unistd.h>

namespace StateTest {

TestSupport::TempDir* GameState::dir_ = nullptr;
Engine* GameState::engine_ = nullptr;
IRenderer* GameState::renderer_ = nullptr;
FakeHost* GameState::host_ = nullptr;
ResourceManager* GameState::resources_ = nullptr;
World* GameState::world_ = nullptr;

namespace {

} // namespace

void GameState::SetUpTestSuite()
{
    // The data set's pictures load only through a renderer.
    if (!HaveDisplay())
        return;
    dir_ = new TestSupport::TempDir();
    // The data set of the build tree, with a levels folder of our own.
    for (const char* entry :
         {"gfx", "sfx", "shaders", "blocks.cfg", "objects.cfg", "items.cfg", "weapons_fin_vs_rus.cfg"}) {
        std::string from = std::string(VORNHAL_BUILD_DIR) + "/" + entry;
        ASSERT_EQ(symlink(from.c_str(), dir_->File(entry).c_str()), 0) << from;
    }
    TestSupport::MakeDirs(dir_->File("levels"));
    engine_ = NewEngineIn(dir_->Path());
    host_ = new FakeHost();
    ASSERT_NO_FATAL_FAILURE(StartRenderer(engine_, &renderer_));
    host_->renderer = renderer_;
    resources_ = new ResourceManager(host_, engine_, nullptr);
    for (const char16_t* script : {u"blocks.cfg", u"objects.cfg", u"items.cfg", u"weapons_fin_vs_rus.cfg"}) {
        ResourceScript loader(resources_, engine_->GetFileManager());
        ASSERT_TRUE(loader.Load(script));
    }
    resources_->BuildIndex();
    ASSERT_TRUE(renderer_->PrepareTextures());
    world_ = new World(resources_);
}

void GameState::TearDownTestSuite()
{
    delete world_;
    delete resources_;
    if (renderer_)
        renderer_->Shutdown();
    delete host_;
    if (engine_) {
        engine_->Shutdown();
        delete engine_;
    }
    delete dir_;
    dir_ = nullptr;
}

void GameState::SetUp()
{
    if (!engine_)
        GTEST_SKIP() << "no X display: run under xvfb-run -a -s \"-screen 0 1280x1024x24\"";
    ASSERT_NE(world_, nullptr);
    game_ = new GameSystem(engine_, world_, resources_, nullptr, nullptr);
    game_->SetHandlers(&server_, &client_);
    game_->SetRenderer(renderer_);
    game_->InitObjectRenderBuffers();
}

void GameState::TearDown() { delete game_; }

int GameState::BlockIndex(int id) { return resources_->GetIndexOfId(id); }

std::string GameState::LevelPath(const std::string& name) { return "levels/" + name; }

void GameState::WriteTestLevel(const std::string& name, int w, int h, const std::u16string& title, int mode,
                               const std::vector<LevelObject>& objects)
{
    World level(resources_);
    ASSERT_TRUE(level.ReplaceCells(w, h, {}));
    const int floor = BlockIndex(3), wall = BlockIndex(51);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            level.SetTileVariant(x, y, (x == 0 || y == 0 || x == w - 1 || y == h - 1) ? wall : floor, 0);
    LevelHeader header;
    header.name = title;
    header.gameMode = mode;
    IFileManager* files = engine_->GetFileManager();
    IFile* out = files->Open(Util::Widen(LevelPath(name).c_str()).c_str(), kOpenWrite, 0);
    ASSERT_NE(out, nullptr);
    std::vector<LevelLight> lights(1);
    lights[0].x = 300.0f, lights[0].y = 200.0f, lights[0].power = 1.0f, lights[0].red = 1.0f;
    EXPECT_TRUE(WriteLevel(out, files, header, {}, level, objects, lights, nullptr));
    delete out;
}

bool GameState::Drew()
{
    GLenum error = glGetError();
    while (glGetError() != GL_NO_ERROR) {
    }
    return error == GL_NO_ERROR;
}

} // namespace StateTest
