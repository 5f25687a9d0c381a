#include "ScriptCases.h"
#include "ScriptFixture.h"

#include "engine/core/IEngine.h"
#include "engine/files/IFileManager.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"

#include <climits>

using namespace ScriptTest;

namespace {

class ScriptParse : public ScriptFixture {};

TEST_F(ScriptParse, EveryErrorShowsOneBoxNamingFileAndLine)
{
    int n = 0;
    for (const ErrorCase& c : ErrorCases()) {
        SCOPED_TRACE(c.script);
        Messages().clear();
        RecordingManager m;
        Stock(m);
        EXPECT_FALSE(Load(c.script, false, "test.cfg", &m));
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].title, u"Error!");
        EXPECT_EQ(Messages()[0].icon, Ui::Icon::Error);
        EXPECT_EQ(Narrow(Messages()[0].text), Failure("test.cfg", c.line, c.message));
        EXPECT_EQ(script_->GetLine(), c.line);
        TestSupport::WriteFuzzSeed("resource_script", "error" + std::to_string(n++), c.script,
                                   std::char_traits<char>::length(c.script));
    }
}

TEST_F(ScriptParse, FullWeaponBlockBuildsItsResourceGraph)
{
    manager_.AddTexture("body.png", 64, 32);
    manager_.AddTexture("slot.png", 10, 20);
    manager_.AddTexture("char.png", 8, 8);
    manager_.AddTexture("wreck.png", 30, 30);
    manager_.AddTexture("shadow.png", 16, 16);
    manager_.AddTexture("tiles.png", 64, 128);
    manager_.AddSample("shot1.ogg");
    manager_.AddSample("shot2.ogg");
    ASSERT_TRUE(Load(FullScript()));
    EXPECT_TRUE(Messages().empty());
    TestSupport::WriteFuzzSeed("resource_script", "full", FullScript(), std::char_traits<char>::length(FullScript()));

    ObjectResource* rifle = Block(100);
    ASSERT_NE(rifle, nullptr);
    EXPECT_EQ(rifle->GetClassId(), ResourceClass::Weapon);
    EXPECT_EQ(Narrow(rifle->GetName()), "Rifle");

    auto* body = dynamic_cast<GraphicsResource*>(rifle->GetMainGraphics());
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->GetId(), 101);
    EXPECT_EQ(Narrow(body->GetName()), "body");
    EXPECT_EQ(Narrow(body->GetFileName()), "main");
    EXPECT_EQ(body->GetTexture(), manager_.Texture("body.png"));
    EXPECT_EQ(body->GetRight(), 64);
    EXPECT_EQ(body->GetBottom(), 32);
    float x, y;
    body->GetPivot(&x, &y);
    EXPECT_EQ(x, 4.0f);
    EXPECT_EQ(y, 5.5f);

    // Images other than main and bump are found by their type word.
    auto* slot = dynamic_cast<GraphicsResource*>(rifle->FindGraphicsByFile(u"slot"));
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->GetId(), 102);
    slot->GetPivot(&x, &y);
    EXPECT_EQ(x, 5.0f); // half the image
    EXPECT_EQ(y, 10.0f);
    ASSERT_EQ(body->GetSubImageCount(), 1); // linkgfx("slot", "body")
    EXPECT_EQ(body->GetSubImage(0), slot);

    Resource* character = rifle->FindGraphicsByFile(u"character");
    ASSERT_NE(character, nullptr);
    EXPECT_EQ(character->GetId(), 103);
    character->GetOffset(&x, &y);
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(y, 2.0f);
    EXPECT_EQ(character->GetRow(), 3);

    auto* projectile = dynamic_cast<GraphicsResource*>(rifle->FindGraphicsByFile(u"projectile"));
    ASSERT_NE(projectile, nullptr); // its image is missing: no error, an empty rectangle
    EXPECT_EQ(projectile->GetTexture(), nullptr);
    EXPECT_EQ(projectile->GetRight(), 0);

    auto* wreck = dynamic_cast<GraphicsResource*>(rifle->FindSound(u"wrecked"));
    ASSERT_NE(wreck, nullptr);
    EXPECT_EQ(wreck->GetRight(), 30);
    wreck->GetPivot(&x, &y);
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(y, 2.0f);

    Resource* shadow = rifle->GetShadowGraphics();
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetId(), 105);
    EXPECT_EQ(Narrow(shadow->GetName()), "_main_shadow");

    auto* shot = dynamic_cast<SoundResource*>(rifle->FindGraphicsByName(u"shot"));
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->GetId(), 106);
    ASSERT_EQ(shot->GetSampleCount(), 2);
    EXPECT_EQ(shot->GetSample(0), manager_.Sample("shot1.ogg"));
    EXPECT_EQ(shot->GetSample(1), manager_.Sample("shot2.ogg"));
    EXPECT_EQ(shot->GetRange(), 200.0f);
    EXPECT_EQ(shot->GetVolume(), 0.0f);
    auto* reload = dynamic_cast<SoundResource*>(rifle->FindGraphicsByName(u"reload"));
    ASSERT_NE(reload, nullptr);
    EXPECT_EQ(reload->GetId(), 107);
    EXPECT_EQ(reload->GetSampleCount(), 0); // a sample that fails to load adds nothing
    EXPECT_EQ(reload->GetRange(), 50.0f);
    EXPECT_EQ(rifle->GetIndexedLink(2), shot);
    EXPECT_EQ(rifle->GetIndexedLink(6), reload);
    EXPECT_EQ(rifle->GetIndexedLink(0), nullptr);

    ParameterRecord* clip = rifle->FindItem(u"w_clip");
    ASSERT_NE(clip, nullptr);
    ASSERT_EQ(clip->valueCount, 1);
    EXPECT_EQ(clip->values[0].type, ParameterValue::Integer);
    EXPECT_EQ(clip->values[0].integer, 30);
    ParameterRecord* mix = rifle->FindItem(u"w_mix");
    ASSERT_NE(mix, nullptr);
    ASSERT_EQ(mix->valueCount, 5);
    EXPECT_EQ(mix->values[0].type, ParameterValue::Real);
    EXPECT_EQ(mix->values[0].real, 2.5f);
    EXPECT_EQ(mix->values[1].type, ParameterValue::String);
    EXPECT_EQ(mix->values[1].text, u"text");
    EXPECT_EQ(mix->values[2].type, ParameterValue::Word);
    EXPECT_EQ(mix->values[2].text, u"bare");
    EXPECT_EQ(mix->values[3].type, ParameterValue::Co);
    EXPECT_EQ(mix->values[3].x, 1.0f);
    EXPECT_EQ(mix->values[3].y, 2.0f);
    EXPECT_EQ(mix->values[4].type, ParameterValue::Pivot);
    EXPECT_EQ(mix->values[4].x, 3.0f);
    EXPECT_EQ(mix->values[4].y, 4.0f);

    ASSERT_EQ(rifle->GetHealth(), 3);
    const float* p = rifle->GetBounding();
    EXPECT_EQ(std::vector<float>(p, p + 6), (std::vector<float>{0, 0, 10, 0, 10.5f, 5}));
    ASSERT_EQ(rifle->GetParameterCount(), 1);
    FreeParameter* breakable = rifle->GetParameter(0);
    EXPECT_EQ(breakable->key, u"wreck");
    EXPECT_EQ(breakable->value, u"sub");
    EXPECT_EQ(breakable->health, 100);
    EXPECT_EQ(breakable->material, 1);
    EXPECT_EQ(breakable->points, (std::vector<float>{1, 2, 3.5f, 4}));

    // Floors register once per sheet section, walls likewise; neither they
    // nor the ammo definition are palette objects.
    ObjectResource* grass = Block(300);
    ObjectResource* brick = Block(310);
    ASSERT_TRUE(grass && brick);
    EXPECT_EQ(manager_.finished, (std::vector<IResource*>{rifle}));
    EXPECT_EQ(manager_.floors, (std::vector<IResource*>{grass, grass}));
    EXPECT_EQ(manager_.walls, (std::vector<IResource*>{brick}));
    auto* grassMain = dynamic_cast<BlockResource*>(grass->GetMainGraphics());
    auto* grassBump = dynamic_cast<BlockResource*>(grass->GetBumpGraphics());
    ASSERT_TRUE(grassMain && grassBump);
    EXPECT_EQ(grassMain->GetId(), 301);
    EXPECT_EQ(grassMain->GetRow(), 2);
    EXPECT_EQ(grassMain->GetSheet(), manager_.Texture("tiles.png"));
    EXPECT_EQ(Narrow(grassMain->GetName()), "grass");
    EXPECT_EQ(grassBump->GetId(), 302);
    EXPECT_EQ(grassBump->GetRow(), 3);

    // Objects and wrecked images in atlas group 2, sheets in group 1, the
    // shadow as an image.
    int textures2 = 0, sheets = 0, images = 0;
    for (const LoadCall& c : manager_.loads) {
        if (c.kind == "texture" && c.pack && c.group == 2)
            ++textures2;
        else if (c.kind == "texture" && c.pack && c.group == 1 && c.file == "tiles.png")
            ++sheets;
        else if (c.kind == "image" && c.pack && c.group == 2 && c.file == "shadow.png")
            ++images;
    }
    EXPECT_EQ(textures2, 5);
    EXPECT_EQ(sheets, 3);
    EXPECT_EQ(images, 1);
}

TEST_F(ScriptParse, EmptyScriptsAndSmallBlocks)
{
    EXPECT_TRUE(Load(""));
    EXPECT_TRUE(Load("  // nothing but a comment\n/* and another */"));
    EXPECT_EQ(manager_.Real().GetCount(), 0);

    ASSERT_TRUE(Load("weapon 12 \"Rifle\" ()"));
    ObjectResource* rifle = Block(12);
    ASSERT_NE(rifle, nullptr);
    EXPECT_EQ(rifle->GetClassId(), ResourceClass::Weapon);
    EXPECT_EQ(Narrow(rifle->GetName()), "Rifle");
    EXPECT_EQ(manager_.finished, (std::vector<IResource*>{rifle}));

    ASSERT_TRUE(Load("floor \"Plain\" ()"));
    ObjectResource* plain = Named(u"Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetClassId(), ResourceClass::Floor);
    EXPECT_EQ(plain->GetId(), kNoId); // no edit mode: no id
    EXPECT_EQ(script_->GetPendingCount(), 0);
    EXPECT_EQ(manager_.finished.size(), 1u);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ScriptParse, EveryClassKeywordGivesItsCode)
{
    const char* words[] = {"vehicle",    "boat",  "ammo",  "ammodef", "weapon", "weaponsystem",
                           "item",       "trash", "plant", "tree",    "lamp",   "furniture",
                           "startpoint", "floor", "wall",  "door",    "window", "missionitem"};
    const int codes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 19};
    std::string text;
    for (int i = 0; i < 18; ++i)
        text += std::string(words[i]) + " " + std::to_string(1000 + i) + " \"b\" ()\n";
    ASSERT_TRUE(Load(text));
    size_t finished = 0;
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(words[i]);
        ObjectResource* b = Block(1000 + i);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->GetClassId(), codes[i]);
        bool palette = codes[i] != 3 && codes[i] != 5 && codes[i] != 13 && codes[i] != 14;
        bool registered = finished < manager_.finished.size() && manager_.finished[finished] == b;
        EXPECT_EQ(registered, palette);
        finished += registered;
    }
    EXPECT_EQ(finished, manager_.finished.size());
    // Keywords are case-sensitive.
    EXPECT_FALSE(Load("Weapon 1 \"b\" ()"));
}

TEST_F(ScriptParse, BoundingLimits)
{
    ASSERT_TRUE(Load("tree 1 \"t\" ( bounding() )"));
    EXPECT_TRUE(Block(1)->IsBreakable());
    EXPECT_EQ(Block(1)->GetHealth(), 0);
    ASSERT_TRUE(Load("tree 2 \"t\" ( bounding(1, 2, ) )"));
    EXPECT_EQ(Block(2)->GetHealth(), 1);

    std::string points;
    for (int i = 0; i < 64; ++i)
        points += (i ? ", " : "") + std::to_string(i) + ", 1";
    ASSERT_TRUE(Load("tree 3 \"t\" ( bounding(" + points + ") )"));
    EXPECT_EQ(Block(3)->GetHealth(), 64);
    EXPECT_FALSE(Load("tree 4 \"t\" (\n bounding(" + points + ", 7, 7) )"));
    EXPECT_EQ(Narrow(Messages().back().text), Failure("test.cfg", 2, "Maximum coordinate count is 64"));

    std::string pairs;
    for (int i = 0; i < 65; ++i)
        pairs += std::string(i ? ", " : "") + "(1, 2)";
    EXPECT_FALSE(Load("tree 5 \"t\" (\n breakable(\"d\", \"s\", 1, class, <" + pairs + ">) )"));
    EXPECT_EQ(Narrow(Messages().back().text), Failure("test.cfg", 2, "Maximum coordinate count is 64"));
}

TEST_F(ScriptParse, ParameterValueKindsAreStoredExplicitly)
{
    ASSERT_TRUE(Load("item 1 \"i\" (\n"
                     " parameter(basic, 1, 2.5, \"str\")\n"
                     " parameter(first, row(5), col(6), state(7), color(1, 2, 3), direction(90))\n"
                     " parameter(second, delay(0.25), volume(9), loop, disabled(1))\n"
                     " parameter(eight, 1, 2, 3, 4, 5, 6, 7, 8)\n"
                     ")"));
    ObjectResource* item = Block(1);
    ParameterRecord* basic = item->FindItem(u"basic");
    ASSERT_TRUE(basic && basic->valueCount == 3);
    EXPECT_EQ(basic->values[0].type, 2);
    EXPECT_EQ(basic->values[1].type, 3);
    EXPECT_EQ(basic->values[2].type, 1);

    ParameterRecord* first = item->FindItem(u"first");
    ASSERT_TRUE(first && first->valueCount == 5);
    EXPECT_EQ(first->values[0].type, ParameterValue::Row);
    EXPECT_EQ(first->values[0].integer, 5);
    EXPECT_EQ(first->values[1].type, ParameterValue::Col);
    EXPECT_EQ(first->values[1].integer, 6);
    EXPECT_EQ(first->values[2].type, ParameterValue::State);
    EXPECT_EQ(first->values[2].integer, 7);
    EXPECT_EQ(first->values[3].type, ParameterValue::Color);
    EXPECT_EQ(first->values[3].red, 1);
    EXPECT_EQ(first->values[3].green, 2);
    EXPECT_EQ(first->values[3].blue, 3);
    EXPECT_EQ(first->values[4].type, ParameterValue::Direction);
    EXPECT_EQ(first->values[4].real, 90.0f);

    ParameterRecord* second = item->FindItem(u"second");
    ASSERT_TRUE(second && second->valueCount == 4);
    EXPECT_EQ(second->values[0].type, ParameterValue::Delay);
    EXPECT_EQ(second->values[0].real, 0.25f);
    EXPECT_EQ(second->values[1].type, ParameterValue::Volume);
    EXPECT_EQ(second->values[1].integer, 9);
    EXPECT_EQ(second->values[2].type, ParameterValue::Loop);
    EXPECT_EQ(second->values[2].integer, 0);
    EXPECT_EQ(second->values[3].type, ParameterValue::Disabled);
    EXPECT_EQ(second->values[3].real, 1.0f);
    ASSERT_NE(item->FindItem(u"eight"), nullptr);
    EXPECT_EQ(item->FindItem(u"eight")->valueCount, 8);
}

TEST_F(ScriptParse, LongDigitRunsSaturateOrFail)
{
    std::string huge(200, '9');
    ASSERT_TRUE(Load("item 1 \"i\" ( parameter(big, " + huge + ") )"));
    EXPECT_EQ(Block(1)->FindItem(u"big")->values[0].integer, INT_MAX);
    EXPECT_FALSE(Load("item 2 \"i\" ( objectsfx(\"s.ogg\", \"s\", volume(" + huge + ")) )"));
    EXPECT_EQ(Narrow(Messages().back().text), Failure("test.cfg", 1, "volume must be between 0 and 255"));
    // The largest id that fits is taken; one more does not wrap.
    ASSERT_TRUE(Load("item 2147483647 \"i\" ()"));
    EXPECT_NE(Block(INT_MAX), nullptr);
    EXPECT_FALSE(Load("item 2147483648 \"i\" ()"));
    EXPECT_EQ(Narrow(Messages().back().text), Failure("test.cfg", 1, "Id is out of range: '2147483648'"));
    EXPECT_FALSE(Load("item " + huge + " \"i\" ()"));
    EXPECT_EQ(Narrow(Messages().back().text), Failure("test.cfg", 1, "Id is out of range: '" + huge + "'"));
    // Leading zeros do not count against an id that fits.
    ASSERT_TRUE(Load("item 000000000007 \"i\" ( objectgfx(00000000000008, \"body.png\", \"b\", main) )"));
    EXPECT_NE(Block(7), nullptr);
    EXPECT_EQ(Block(7)->GetMainGraphics()->GetId(), 8);
    // Tile ids: the highest one below the empty cell is fine.
    manager_.AddTexture("tiles.png", 64, 128);
    ASSERT_TRUE(Load("wall 262142 \"w\" ( wallgfx(0, \"tiles.png\", \"n\", main, row(0)) )"));
    EXPECT_EQ(Block(262142)->GetMainGraphics()->GetId(), 0);
}

TEST_F(ScriptParse, SoundsCollectSamplesAndOnlyTheFirstTakesValues)
{
    manager_.AddSample("a.ogg");
    manager_.AddSample("b.ogg");
    ASSERT_TRUE(Load("vehicle 1 \"v\" (\n"
                     " objectsfx(2, \"a.ogg\", \"engine\", volume(255), delay(1.5), quiet)\n"
                     " objectsfx(\"b.ogg\", \"engine\")\n"
                     " objectsfx(\"missing.ogg\", \"engine\")\n"
                     " objectsfx(\"b.ogg\", \"horn\")\n"
                     " linksfx(\"engine\", acceleration)\n"
                     " linksfx(\"horn\", \"not a word\")\n"
                     ")"));
    auto* engine = dynamic_cast<SoundResource*>(Block(1)->FindGraphicsByName(u"engine"));
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->GetClassId(), ResourceClass::Sound);
    EXPECT_EQ(engine->GetId(), 2);
    EXPECT_EQ(engine->GetSampleCount(), 2);
    EXPECT_EQ(engine->GetRange(), 255.0f);
    EXPECT_EQ(engine->GetVolume(), 1.5f);
    auto* horn = dynamic_cast<SoundResource*>(Block(1)->FindGraphicsByName(u"horn"));
    ASSERT_NE(horn, nullptr);
    EXPECT_EQ(horn->GetRange(), 50.0f); // no values: the defaults
    EXPECT_EQ(horn->GetVolume(), 0.0f);
    EXPECT_EQ(Block(1)->GetIndexedLink(1), engine);
    for (int i = 0; i < 14; ++i)
        EXPECT_TRUE(i == 1 || Block(1)->GetIndexedLink(i) == nullptr);

    // Every destination word has its index.
    const char* words[] = {"turning",     "acceleration", "shot",     "walk", "warmup",   "boat",     "reload",
                           "reloadparts", "reloaded",     "detonate", "hit",  "hitmetal", "ricochet", "shell"};
    std::string text = "vehicle 3 \"w\" ( objectsfx(\"a.ogg\", \"s\")";
    for (const char* w : words)
        text += std::string(" linksfx(\"s\", ") + w + ")";
    ASSERT_TRUE(Load(text + ")"));
    IResource* s = Block(3)->FindGraphicsByName(u"s");
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(Block(3)->GetIndexedLink(i), s) << words[i];
}

TEST_F(ScriptParse, DuplicateIdAcrossScriptsAndAFailingFourthScript)
{
    ASSERT_TRUE(Load("weapon 12 \"Rifle\" ()", false, "objects.cfg"));
    EXPECT_FALSE(Load("item 5 \"x\" ()\nweapon 12\n  \"Second\" ()", false, "items.cfg"));
    EXPECT_EQ(Narrow(Messages().back().text), Failure("items.cfg", 3, "Object with id 12 allready exist"));

    // Resources made before the error stay in the manager.
    RecordingManager m;
    const char* names[] = {"blocks.cfg", "objects.cfg", "items.cfg", "weapons_fin_vs_rus.cfg"};
    const char* texts[] = {"floor 1 \"a\" ()", "tree 2 \"b\" ()", "item 3 \"c\" ()",
                           "weapon 4 \"d\" ()\nweapon 5 \"e\" ( bogus )\nweapon 6 \"f\" ()"};
    Messages().clear();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Load(texts[i], false, names[i], &m), i < 3);
    for (int id = 1; id <= 5; ++id)
        EXPECT_NE(m.GetById(id), nullptr) << id;
    EXPECT_EQ(m.GetById(6), nullptr);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Narrow(Messages()[0].text), Failure("weapons_fin_vs_rus.cfg", 2, "Unknown object stuff: 'bogus'"));
}

TEST_F(ScriptParse, MissingFilesFailWithoutAMessage)
{
    RecordingManager m;
    ResourceScript script(&m, files_.get());
    EXPECT_FALSE(script.Load(u"nowhere.cfg"));
    EXPECT_EQ(script.GetFileName(), nullptr);
    // Through the engine's file manager as well.
    ResourceScript engineScript(&m, GetEngine()->GetFileManager());
    EXPECT_FALSE(engineScript.Load(u"nowhere/at/all.cfg"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(script.SaveBack()); // nothing loaded in edit mode: nothing to do
}

} // namespace
