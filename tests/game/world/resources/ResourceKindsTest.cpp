#include "LiveAllocations.h"

#include "engine/xml/TextTokenizer.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/SoundResource.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

ParameterRecord* Record(const char16_t* name, int value)
{
    auto* r = new ParameterRecord();
    r->name = name;
    r->valueCount = 1;
    r->values[0].type = ParameterValue::Integer;
    r->values[0].integer = value;
    return r;
}

std::vector<TextToken*> Tokenize(TextTokenizer& tokenizer, const char* text)
{
    tokenizer.LoadNarrow(int(std::strlen(text)), text);
    std::vector<TextToken*> tokens;
    while (TextToken* t = tokenizer.NextToken())
        tokens.push_back(t);
    return tokens;
}

std::u16string TextOf(const TextTokenizer& tokenizer)
{
    return std::u16string(tokenizer.GetText(), size_t(tokenizer.GetLength()));
}

} // namespace

TEST(ResourceNames, UnsetNamesReadEmptyAndNarrowNamesWidenWithSignExtension)
{
    ObjectResource r(nullptr, ResourceClass::Tree);
    EXPECT_EQ(std::u16string(r.GetName()), u"");
    EXPECT_EQ(r.GetNameOrNull(), nullptr);
    EXPECT_EQ(std::u16string(r.GetFileName()), u"");
    EXPECT_EQ(r.GetId(), kNoId);
    EXPECT_EQ(r.GetClassId(), ResourceClass::Tree);

    r.SetNameA("pine\xE9");
    EXPECT_EQ(std::u16string(r.GetName()), u"pine\xFFE9");
    r.SetFileNameA("main");
    EXPECT_EQ(std::u16string(r.GetFileName()), u"main");
    r.SetName(u"");
    EXPECT_NE(r.GetNameOrNull(), nullptr) << "an empty name is still a name";
    r.SetName(nullptr);
    EXPECT_EQ(r.GetNameOrNull(), nullptr);
}

TEST(ResourceNames, RenameThroughNameTokenShiftsTheScriptText)
{
    TextTokenizer tokenizer(false);
    std::vector<TextToken*> tokens = Tokenize(tokenizer, "floor \"grass\" ( id 5 )\nwall \"brick\"\n");
    ASSERT_EQ(tokens.size(), 8u);
    ASSERT_EQ(tokens[1]->GetKind(), TextToken::String);
    const int idStart = tokens[3]->GetStart();

    ObjectResource r(nullptr, ResourceClass::Floor);
    r.SetNameA("grass");
    EXPECT_FALSE(tokenizer.IsModified()) << "no token attached yet";
    r.SetNameToken(tokens[1]);

    r.SetName(u"meadow");
    EXPECT_EQ(TextOf(tokenizer), u"floor \"meadow\" ( id 5 )\nwall \"brick\"\n");
    EXPECT_EQ(tokens[3]->GetStart(), idStart + 1);
    EXPECT_EQ(tokens[7]->ToWideString(), u"brick");
    EXPECT_TRUE(tokenizer.IsModified());

    r.SetNameA("ab");
    EXPECT_EQ(TextOf(tokenizer), u"floor \"ab\" ( id 5 )\nwall \"brick\"\n");
    EXPECT_EQ(tokens[3]->GetStart(), idStart - 3);
    EXPECT_EQ(std::u16string(r.GetName()), u"ab");
}

TEST(ResourceNames, RenameKeepsTheScriptParseableWhenTheNameHasQuotesOrLineBreaks)
{
    TextTokenizer tokenizer(false);
    std::vector<TextToken*> tokens = Tokenize(tokenizer, "tree \"oak\" ( id 7 )");
    ObjectResource r(nullptr, ResourceClass::Tree);
    r.SetNameToken(tokens[1]);

    r.SetName(u"big \"old\"\r\noak");
    EXPECT_EQ(std::u16string(r.GetName()), u"big \"old\"\r\noak");
    EXPECT_EQ(TextOf(tokenizer), u"tree \"big oldoak\" ( id 7 )");

    // Read back, the text still has the same tokens.
    TextTokenizer again(false);
    std::string narrow = Util::Narrow(TextOf(tokenizer));
    std::vector<TextToken*> reread = Tokenize(again, narrow.c_str());
    ASSERT_EQ(reread.size(), tokens.size());
    EXPECT_EQ(reread[1]->GetKind(), TextToken::String);
    EXPECT_EQ(reread[1]->ToWideString(), u"big oldoak");
    EXPECT_EQ(reread[4]->GetIntValue(), 7);
}

TEST(ResourceLinks, GraphicsFoundByTypeWordAndByNameMainImageFirst)
{
    FakeTexture tex(64, 64);
    GraphicsResource main(nullptr, &tex, 0, 0, 64, 64);
    GraphicsResource slot(nullptr, &tex, 0, 0, 32, 32);
    GraphicsResource unnamed(nullptr, &tex, 0, 0, 16, 16);
    GraphicsResource trunk(nullptr, &tex, 0, 0, 8, 8);
    main.SetNameA("shared");
    slot.SetFileNameA("slot");
    slot.SetNameA("shared");
    trunk.SetFileNameA("trunk");
    trunk.SetNameA("bark");

    ObjectResource block(nullptr, ResourceClass::Weapon);
    block.AddGraphicsLink(&unnamed); // no file name, no name: skipped by both
    block.AddGraphicsLink(&slot);
    block.AddGraphicsLink(&trunk);
    block.AddGraphicsLink(nullptr);

    EXPECT_EQ(block.FindGraphicsByFile(u"slot"), &slot);
    EXPECT_EQ(block.FindGraphicsByFile(u"trunk"), &trunk);
    EXPECT_EQ(block.FindGraphicsByFile(u"Trunk"), nullptr) << "exact match only";
    EXPECT_EQ(block.FindGraphicsByFile(u""), nullptr);
    EXPECT_EQ(block.FindGraphicsByName(u"bark"), &trunk);
    EXPECT_EQ(block.FindGraphicsByName(u"shared"), &slot);
    block.SetGraphics(&main);
    EXPECT_EQ(block.FindGraphicsByName(u"shared"), &main);
    EXPECT_EQ(block.FindGraphicsByName(u""), nullptr);
}

TEST(ResourceLinks, FindSoundNullFindsTheFirstUnnamedLink)
{
    ObjectResource block(nullptr, ResourceClass::Door);
    SoundResource open(nullptr);
    SoundResource close(nullptr);
    GraphicsResource wreck(nullptr, nullptr, 0, 0, 1, 1);
    GraphicsResource wreck2(nullptr, nullptr, 0, 0, 1, 1);
    open.SetNameA("open");
    close.SetNameA("close");

    EXPECT_EQ(block.FindSound(nullptr), nullptr);
    block.AddSoundLink(&open);
    EXPECT_EQ(block.FindSound(nullptr), nullptr) << "every link is named";
    block.AddSoundLink(&wreck);
    block.AddSoundLink(&close);
    block.AddSoundLink(&wreck2);
    EXPECT_EQ(block.FindSound(nullptr), &wreck);
    EXPECT_EQ(block.FindSound(u"close"), &close);
    EXPECT_EQ(block.FindSound(u"open"), &open);
    EXPECT_EQ(block.FindSound(u"shut"), nullptr);
}

TEST(ResourceLinks, IndexedLinksAnswerTheFirstLinkOfAnIndex)
{
    ObjectResource block(nullptr, ResourceClass::Weapon);
    SoundResource a(nullptr), b(nullptr);
    EXPECT_EQ(block.GetIndexedLink(2), nullptr);
    block.AddIndexedLink(&a, 2);
    block.AddIndexedLink(&b, 2);
    block.AddIndexedLink(&b, 9);
    EXPECT_EQ(block.GetIndexedLink(2), &a);
    EXPECT_EQ(block.GetIndexedLink(9), &b);
    EXPECT_EQ(block.GetIndexedLink(10), nullptr);
    EXPECT_EQ(block.GetIndexedLink(-1), nullptr);
}

TEST(ResourceParameters, FreeParametersCopyTheKeyWhenThereIsNoValue)
{
    ObjectResource block(nullptr, ResourceClass::Furniture);
    FreeParameter* a = block.AddParameter("glass", "pane");
    FreeParameter* b = block.AddParameter("frame", nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(block.GetParameterCount(), 2);
    EXPECT_EQ(block.GetParameter(0), a);
    EXPECT_EQ(block.GetParameter(1), b);
    EXPECT_EQ(a->key, u"glass");
    EXPECT_EQ(a->value, u"pane");
    EXPECT_EQ(b->value, u"frame");
    EXPECT_EQ(block.GetParameter(2), nullptr);
    EXPECT_EQ(block.GetParameter(-1), nullptr);
}

TEST(ResourceParameters, ItemsAreFoundByExactNameAndOwnedByTheirResource)
{
    const long before = LiveAllocations();
    {
        ObjectResource block(nullptr, ResourceClass::Weapon);
        BlockResource tile(nullptr, nullptr, 0);
        SoundResource sound(nullptr);
        GraphicsResource image(nullptr, nullptr, 0, 0, 1, 1);
        ParameterRecord* first = Record(u"w_type", 1);
        block.AddItem(first);
        block.AddItem(Record(u"w_type", 2));
        block.AddItem(Record(u"w_clip", 30));
        tile.AddItem(Record(u"speed", 3));
        sound.AddItem(Record(u"loop", 0));
        image.AddItem(Record(u"ignored", 0));
        block.AddItem(nullptr);

        EXPECT_EQ(block.FindItem(u"w_type"), first);
        EXPECT_EQ(block.FindItem(u"w_clip")->values[0].integer, 30);
        EXPECT_EQ(block.FindItem(u"W_CLIP"), nullptr);
        EXPECT_EQ(block.FindItem(nullptr), nullptr);
        EXPECT_EQ(block.GetItemCount(), 3);
        EXPECT_EQ(tile.FindItem(u"speed")->values[0].integer, 3);
        EXPECT_NE(sound.FindItem(u"loop"), nullptr);
        EXPECT_EQ(image.FindItem(u"ignored"), nullptr) << "graphics keep no items";
    }
    EXPECT_EQ(LiveAllocations(), before) << "records are freed with their resource";
}

TEST(ObjectResourceBounding, SectionWithoutPointsIsBreakableWithNoHealth)
{
    ObjectResource r(nullptr, ResourceClass::Furniture);
    EXPECT_FALSE(r.IsBreakable());
    EXPECT_EQ(r.GetHealth(), 0);
    EXPECT_EQ(r.GetBounding(), nullptr);

    float pts[6] = {1, 2, 3, 4, 5, 6};
    r.LoadParameters(pts, 0);
    EXPECT_TRUE(r.IsBreakable());
    EXPECT_EQ(r.GetHealth(), 0);
    EXPECT_EQ(r.GetPolygonCount(), -1);
    EXPECT_EQ(r.GetBounding(), nullptr);

    r.LoadParameters(pts, 3);
    pts[5] = 99;
    EXPECT_EQ(r.GetHealth(), 3);
    ASSERT_NE(r.GetBounding(), nullptr);
    EXPECT_NE(r.GetBounding(), pts) << "a copy";
    EXPECT_FLOAT_EQ(r.GetBounding()[0], 1.0f);
    EXPECT_FLOAT_EQ(r.GetBounding()[5], 6.0f);

    r.LoadParameters(nullptr, 4);
    EXPECT_EQ(r.GetPolygonCount(), -1);
    EXPECT_EQ(r.GetBounding(), nullptr);
}

TEST(ObjectResourceGraphics, ImagesComeFromTheThreeGraphicsAndThePivotFromTheMainOne)
{
    FakeTexture mainTex(10, 10), shadowTex(10, 10), bumpTex(10, 10);
    GraphicsResource main(nullptr, &mainTex, 0, 0, 10, 10);
    GraphicsResource shadow(nullptr, &shadowTex, 0, 0, 10, 10);
    BlockResource bump(nullptr, &bumpTex, 0);
    ObjectResource r(nullptr, ResourceClass::Lamp);

    EXPECT_EQ(r.GetImage(), nullptr);
    EXPECT_EQ(r.GetLinkImage(), nullptr);
    EXPECT_EQ(r.GetWreckedImage(), nullptr);

    r.SetPivot(3, 4);
    r.SetGraphics(&main);
    r.SetLinkGraphics(&shadow);
    r.SetWreckedGraphics(&bump);
    EXPECT_EQ(r.GetGraphics(), &main);
    EXPECT_EQ(r.GetImage(), &mainTex);
    EXPECT_EQ(r.GetLinkImage(), &shadowTex);
    EXPECT_EQ(r.GetWreckedImage(), &bumpTex);

    float x = -1, y = -1;
    r.GetPivot(&x, &y);
    EXPECT_EQ(x, 0.0f) << "the main graphics' pivot, not the block's own";
    r.SetPivot(7, 8);
    main.GetPivot(&x, &y);
    EXPECT_EQ(x, 7.0f);
    EXPECT_EQ(y, 8.0f);

    r.SetGraphics(nullptr);
    r.GetPivot(&x, &y);
    EXPECT_EQ(x, 3.0f);
    EXPECT_EQ(y, 4.0f);
}

TEST(ResourceKinds, BaseOperationsAnswerNothingForKindsWithoutThem)
{
    FakeTexture tex(32, 32);
    GraphicsResource image(nullptr, &tex, 0, 0, 32, 32);
    BlockResource tile(nullptr, &tex, 0);
    SoundResource sound(nullptr);
    GraphicsResource sub(nullptr, &tex, 0, 0, 4, 4);

    EXPECT_EQ(image.GetClassId(), ResourceClass::Graphics);
    EXPECT_EQ(tile.GetClassId(), ResourceClass::Floor);
    EXPECT_EQ(sound.GetClassId(), ResourceClass::Sound);
    EXPECT_EQ(image.GetImage(), &tex);
    EXPECT_EQ(tile.GetImage(), &tex);
    EXPECT_EQ(sound.GetImage(), nullptr);

    image.SetGraphics(&sub);
    EXPECT_EQ(image.GetGraphics(), nullptr);
    image.LoadParameters(nullptr, 0);
    EXPECT_FALSE(image.IsBreakable());
    EXPECT_EQ(image.GetSoundInterface(), nullptr);

    EXPECT_EQ(image.GetSubImageCount(), 0);
    image.AddSubImage(&sub);
    EXPECT_EQ(image.GetSubImageCount(), 1);
    EXPECT_EQ(image.GetSubImage(0), &sub);
    EXPECT_EQ(image.GetSubImage(1), nullptr);
    EXPECT_EQ(image.GetSubImage(-1), nullptr);
    EXPECT_EQ(tile.GetSubImage(0), nullptr);
}

TEST(SoundResourceTest, HoldsSamplesDelayAndVolume)
{
    SoundResource sound(nullptr);
    ISoundResource* s = sound.GetSoundInterface();
    ASSERT_EQ(s, static_cast<ISoundResource*>(&sound));
    EXPECT_EQ(sound.GetFlag(), 1);
    EXPECT_EQ(s->GetVolume(), 0.0f);
    EXPECT_EQ(s->GetRange(), 50.0f);
    s->SetVolume(0.25f);
    s->SetRange(200.0f);
    EXPECT_EQ(s->GetVolume(), 0.25f);
    EXPECT_EQ(s->GetRange(), 200.0f);

    FakeAudioBuffer a, b;
    sound.AddSound(&a);
    sound.AddSound(nullptr);
    sound.AddSound(&b);
    EXPECT_EQ(s->GetSampleCount(), 2);
    EXPECT_EQ(s->GetSample(0), &a);
    EXPECT_EQ(s->GetSample(1), &b);
    EXPECT_EQ(s->GetSample(2), nullptr);
    EXPECT_EQ(s->GetSample(-1), nullptr);

    GraphicsResource g(nullptr, nullptr, 0, 0, 1, 1);
    g.SetFileNameA("main");
    sound.AddGraphicsLink(&g);
    EXPECT_EQ(sound.FindGraphicsByFile(u"main"), nullptr);
    EXPECT_EQ(sound.CreateThumbnail(), nullptr);
}
