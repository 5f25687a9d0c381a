#include "ScriptCases.h"
#include "ScriptFixture.h"

#include "engine/xml/TextToken.h"
#include "game/world/resources/ResourceClass.h"

#include <sys/stat.h>

#include <functional>

using namespace ScriptTest;

namespace {

const char kIdless[] = "floor \"Grass\" (\n"
                       "  floorgfx(\"tiles.png\", \"grass\", main, row(0))\n"
                       ")\n"
                       "weapon \"Gun\" (\n"
                       "  objectgfx(\"body.png\", \"body\", main)\n"
                       "  objectsfx(\"s.ogg\", \"bang\")\n"
                       "  objectsfx(\"s.ogg\", \"bang\")\n"
                       "  shadowgfx(\"body.png\")\n"
                       ")\n"
                       "tree 77 \"Oak\" ( objectgfx(78, \"body.png\", \"trunk\", main) )\n";

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    size_t at = s.find(from);
    if (at != std::string::npos)
        s.replace(at, from.size(), to);
    return s;
}

class EditMode : public ScriptFixture {
protected:
    EditMode() { Stock(manager_); }
};

TEST_F(EditMode, IdsAreFilledInAtTheirPlacesAndSavedBack)
{
    ASSERT_TRUE(Load(kIdless, true));
    TestSupport::WriteFuzzSeed("resource_script", "idless", kIdless, sizeof kIdless - 1);
    EXPECT_EQ(script_->GetPendingCount(), 0); // assigned by Load

    ObjectResource* grass = Named(u"Grass");
    ObjectResource* gun = Named(u"Gun");
    ASSERT_TRUE(grass && gun);
    int floorId = grass->GetId();
    int tileId = grass->GetMainGraphics()->GetId();
    int gunId = gun->GetId();
    int bodyId = gun->GetMainGraphics()->GetId();
    int soundId = gun->FindGraphicsByName(u"bang")->GetId();
    int shadowId = gun->GetShadowGraphics()->GetId();
    for (int id : {floorId, tileId}) {
        EXPECT_GE(id, 0);
        EXPECT_LT(id, kNoTile);
    }
    for (int id : {gunId, bodyId, soundId, shadowId}) {
        EXPECT_NE(id, kNoId);
        EXPECT_EQ(id & 0x3ffff, 0);
    }
    EXPECT_EQ(Block(77)->GetMainGraphics()->GetId(), 78);

    auto s = [](int id) { return std::to_string(id); };
    std::string expected = std::string(kIdless);
    expected = Replace(expected, "floor \"Grass\"", "floor " + s(floorId) + " \"Grass\"");
    expected = Replace(expected, "floorgfx(\"tiles", "floorgfx(" + s(tileId) + ", \"tiles");
    expected = Replace(expected, "weapon \"Gun\"", "weapon " + s(gunId) + " \"Gun\"");
    expected = Replace(expected, "objectgfx(\"body", "objectgfx(" + s(bodyId) + ", \"body");
    // Only the sound's first objectsfx carries its id.
    expected = Replace(expected, "objectsfx(\"s.ogg", "objectsfx(" + s(soundId) + ", \"s.ogg");
    expected = Replace(expected, "shadowgfx(\"body", "shadowgfx(" + s(shadowId) + ", \"body");
    EXPECT_EQ(ScriptText(*script_), expected);

    ASSERT_TRUE(script_->SaveBack());
    std::string saved = ReadText(dir_.File("test.cfg"));
    EXPECT_EQ(saved, expected);
    EXPECT_FALSE(files_->FileExists((Util::Widen(dir_.File("test.cfg.tmp").c_str())).c_str()));
    // The saved text is the original plus the ids and nothing else.
    std::string stripped = saved;
    for (int id : {floorId, gunId})
        stripped = Replace(stripped, s(id) + " \"", "\"");
    for (int id : {tileId, bodyId, soundId, shadowId})
        stripped = Replace(stripped, s(id) + ", \"", "\"");
    EXPECT_EQ(stripped, std::string(kIdless));
    TestSupport::WriteFuzzSeed("resource_script", "withids", saved.data(), saved.size());

    // Reloading keeps every id and has nothing to write.
    RecordingManager again;
    Stock(again);
    ASSERT_TRUE(Load(saved, true, "test.cfg", &again));
    ObjectResource* gun2 = dynamic_cast<ObjectResource*>(again.GetByName(u"Gun"));
    ObjectResource* grass2 = dynamic_cast<ObjectResource*>(again.GetByName(u"Grass"));
    ASSERT_TRUE(gun2 && grass2);
    EXPECT_EQ(grass2->GetId(), floorId);
    EXPECT_EQ(grass2->GetMainGraphics()->GetId(), tileId);
    EXPECT_EQ(gun2->GetId(), gunId);
    EXPECT_EQ(gun2->GetMainGraphics()->GetId(), bodyId);
    EXPECT_EQ(gun2->FindGraphicsByName(u"bang")->GetId(), soundId);
    EXPECT_EQ(gun2->GetShadowGraphics()->GetId(), shadowId);
    EXPECT_FALSE(script_->GetTokenizer().IsModified());
    Write("test.cfg", "sentinel");
    EXPECT_TRUE(script_->SaveBack());
    EXPECT_EQ(ReadText(dir_.File("test.cfg")), "sentinel");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(EditMode, FloorWithoutIdGetsATileIdAndOneBlank)
{
    ASSERT_TRUE(Load("floor \"Plain\" ()", true));
    int id = Named(u"Plain")->GetId();
    EXPECT_GE(id, 0);
    EXPECT_LT(id, kNoTile);
    ASSERT_TRUE(script_->SaveBack());
    EXPECT_EQ(ReadText(dir_.File("test.cfg")), "floor " + std::to_string(id) + " \"Plain\" ()");
}

// A bare "%d " in front of a name that touches its class word would
// make the id part of the word.
TEST_F(EditMode, IdInFrontOfATouchingNameKeepsTheWordApart)
{
    ASSERT_TRUE(Load("floor\"Tight\"()\nwall/**/\"Gap\"()", true));
    std::string tight = std::to_string(Named(u"Tight")->GetId());
    std::string gap = std::to_string(Named(u"Gap")->GetId());
    ASSERT_TRUE(script_->SaveBack());
    std::string saved = ReadText(dir_.File("test.cfg"));
    EXPECT_EQ(saved, "floor " + tight + " \"Tight\"()\nwall/**/" + gap + " \"Gap\"()");
    RecordingManager again;
    ASSERT_TRUE(Load(saved, true, "test.cfg", &again));
    EXPECT_EQ(again.GetByName(u"Tight")->GetId(), Named(u"Tight")->GetId());
}

TEST_F(EditMode, RenamesFollowTheNameTokenIntoTheSavedScript)
{
    const std::string text = "tree 1 \"Oak\" ( objectgfx(2, \"body.png\", \"trunk\", main) )\n"
                             "tree 3 \"Elm\" ()\n";
    ASSERT_TRUE(Load(text, true));
    EXPECT_FALSE(script_->GetTokenizer().IsModified()); // attaching the token writes nothing
    Block(1)->SetName(u"Old Oak");
    Block(3)->SetNameA("E");
    ASSERT_TRUE(script_->SaveBack());
    EXPECT_EQ(ReadText(dir_.File("test.cfg")), "tree 1 \"Old Oak\" ( objectgfx(2, \"body.png\", \"trunk\", main) )\n"
                                               "tree 3 \"E\" ()\n");
    // Outside edit mode names are not tied to the text.
    RecordingManager other;
    Stock(other);
    ASSERT_TRUE(Load(text, false, "plain.cfg", &other));
    other.GetByName(u"Oak")->SetName(u"Renamed");
    EXPECT_FALSE(script_->GetTokenizer().IsModified());
    EXPECT_TRUE(script_->SaveBack());
    EXPECT_EQ(ReadText(dir_.File("plain.cfg")), text);
}

TEST_F(EditMode, ParseErrorLeavesTheFileAlone)
{
    ASSERT_FALSE(Load("floor \"a\" ()\nweapon \"b\" ( nonsense )", true));
    EXPECT_EQ(Narrow(Messages().at(0).text), Failure("test.cfg", 2, "Unknown object stuff: 'nonsense'"));
    // No ids were assigned, so nothing is written.
    EXPECT_EQ(Named(u"a")->GetId(), kNoId);
    EXPECT_TRUE(script_->SaveBack());
    EXPECT_EQ(ReadText(dir_.File("test.cfg")), "floor \"a\" ()\nweapon \"b\" ( nonsense )");
}

// Loading again on the same object must not use the first text's places.
TEST_F(EditMode, SecondLoadStartsAfresh)
{
    Write("bad.cfg", "floor \"a\" ()\nweapon \"b\" ( nonsense )");
    Write("good.cfg", "tree \"c\" ()");
    ResourceScript script(&manager_, files_.get());
    script.SetEditMode(true);
    EXPECT_FALSE(script.Load(u"bad.cfg"));
    EXPECT_EQ(script.GetPendingCount(), 2);
    ASSERT_TRUE(script.Load(u"good.cfg"));
    EXPECT_EQ(Named(u"a")->GetId(), kNoId);
    ASSERT_TRUE(script.SaveBack());
    EXPECT_EQ(ReadText(dir_.File("good.cfg")), "tree " + std::to_string(Named(u"c")->GetId()) + " \"c\" ()");
}

// A package copy of the script must not hide the edits saved on disk.
TEST_F(EditMode, DiskCopyWinsOverThePackageInEditMode)
{
    Write("objects.cfg", "tree 1 \"Packaged\" ()");
    {
        FileManager builder;
        builder.BeginPackage(1);
        builder.AddFileToPackage(u"objects.cfg", 0);
        ASSERT_TRUE(builder.SavePackage(u"game.data", nullptr));
    }
    Write("objects.cfg", "tree 1 \"OnDisk\" ()");
    files_ = std::make_unique<FileManager>();

    RecordingManager game, editor;
    ResourceScript gameScript(&game, files_.get());
    ASSERT_TRUE(gameScript.Load(u"objects.cfg"));
    EXPECT_NE(game.GetByName(u"Packaged"), nullptr); // the package is searched first

    ResourceScript editScript(&editor, files_.get());
    editScript.SetEditMode(true);
    ASSERT_TRUE(editScript.Load(u"objects.cfg"));
    EXPECT_NE(editor.GetByName(u"OnDisk"), nullptr);

    // Without a disk copy the editor reads the package's.
    ASSERT_EQ(::unlink(dir_.File("objects.cfg").c_str()), 0);
    RecordingManager third;
    ResourceScript packaged(&third, files_.get());
    packaged.SetEditMode(true);
    ASSERT_TRUE(packaged.Load(u"objects.cfg"));
    EXPECT_NE(third.GetByName(u"Packaged"), nullptr);
}

// Cutting the script after any token must give success (between blocks) or
// the end-of-script error on the last token's line, never a crash.
TEST_F(EditMode, TruncationAtEveryTokenBoundaryFailsCleanly)
{
    const std::string full = FullScript();
    manager_.AddTexture("tiles.png", 64, 128);
    TextTokenizer tokens(false);
    tokens.LoadNarrow(int(full.size()), full.data());
    int depth = 0;
    int count = 0;
    while (TextToken* t = tokens.NextToken()) {
        if (t->IsSymbol(u'('))
            ++depth;
        else if (t->IsSymbol(u')'))
            --depth;
        int end = t->GetEnd() + (t->GetKind() == TextToken::String ? 1 : 0);
        std::string cut = full.substr(0, size_t(end));
        Messages().clear();
        RecordingManager m;
        Stock(m);
        bool ok = Load(cut, (count & 1) != 0, "cut.cfg", &m);
        SCOPED_TRACE(cut);
        if (depth == 0 && t->IsSymbol(u')')) {
            EXPECT_TRUE(ok);
            EXPECT_TRUE(Messages().empty());
        } else {
            EXPECT_FALSE(ok);
            ASSERT_EQ(Messages().size(), 1u);
            EXPECT_EQ(Narrow(Messages()[0].text), Failure("cut.cfg", t->GetLine(), "Unexpected end of script"));
        }
        ++count;
    }
    EXPECT_GT(count, 200);
}

TEST_F(EditMode, TruncationAtEveryByteNeverCrashes)
{
    const std::string full = FullScript();
    for (size_t n = 0; n <= full.size(); ++n) {
        Messages().clear();
        RecordingManager m;
        Stock(m);
        bool ok = Load(full.substr(0, n), n % 2 == 0, "cut.cfg", &m);
        EXPECT_EQ(Messages().size(), ok ? 0u : 1u) << n;
        if (ok && n % 2 == 0) {
            EXPECT_TRUE(script_->SaveBack());
        }
    }
}

} // namespace
