// The section parsers of ResourceScript: each is entered after its keyword
// and reads its parenthesised argument list.
#include "game/world/resources/ResourceScript.h"

#include "engine/render/ITexture.h"
#include "engine/xml/TextToken.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/SoundResource.h"

#include <memory>
#include <vector>

namespace {

const int kMaxPoints = 64;

const char* const kSoundDestinations[] = {
    "turning",     "acceleration", "shot",     "walk", "warmup",   "boat",     "reload",
    "reloadparts", "reloaded",     "detonate", "hit",  "hitmetal", "ricochet", "shell",
};

int SoundDestination(const std::string& word)
{
    for (int i = 0; i < int(sizeof kSoundDestinations / sizeof kSoundDestinations[0]); ++i)
        if (word == kSoundDestinations[i])
            return i;
    return -1;
}

int WidthOf(ITexture* t) { return t ? t->GetWidth() : 0; }
int HeightOf(ITexture* t) { return t ? t->GetHeight() : 0; }

} // namespace

TextToken* ResourceScript::ReadIdAndFile(const char* idMessage, IdUse use, int* id)
{
    *id = kNoId;
    TextToken* t = Take();
    if (t->GetKind() == TextToken::String)
        return t;
    if (t->GetKind() != TextToken::Integer)
        Fail(idMessage);
    int value = CheckedId(t);
    if (use == IdUse::Tile)
        CheckTileId(value);
    // A sound's id counts only on its first objectsfx; that one checks it.
    if (use != IdUse::Sound)
        CheckUnused(value);
    *id = value;
    Expect(',');
    TextToken* file = Take();
    if (file->GetKind() != TextToken::String)
        Fail("filename must be string");
    return file;
}

void ResourceScript::ApplyPlacement(IResource* graphics, const Value& v)
{
    if (v.kind == ParameterValue::Pivot)
        graphics->SetPivot(float(v.x), float(v.y));
    else if (v.kind == ParameterValue::Co)
        graphics->SetOffset(float(v.x), float(v.y));
    else if (v.kind == ParameterValue::Row)
        graphics->SetRow(v.integer);
    else
        Fail("unknown parameter");
}

bool ResourceScript::EndOfValues()
{
    TextToken* t = Take();
    if (Is(t, ")"))
        return true;
    if (!Is(t, ","))
        Fail("'(' expected");
    return false;
}

void ResourceScript::ParseObjectGfx(ObjectResource* block)
{
    Expect('(');
    int id;
    TextToken* file = ReadIdAndFile("object id must be number", IdUse::Object, &id);
    Expect(',');
    TextToken* name = Take();
    if (name->GetKind() != TextToken::String)
        Fail("name must be string");
    Expect(',');
    TextToken* type = Take();
    if (type->GetKind() != TextToken::Word)
        Fail("invalid token for type");

    ITexture* image = manager_->LoadTextureA(file->ToNarrowString().c_str(), true, 2);
    int width = WidthOf(image);
    int height = HeightOf(image);
    GraphicsResource* graphics = manager_->CreateGraphicsResource(image, 0, 0, width, height);
    graphics->SetPivot(0.5f * float(width), 0.5f * float(height));
    std::string typeWord = type->ToNarrowString();
    if (typeWord == "main")
        block->SetGraphics(graphics);
    else if (typeWord == "bump")
        block->SetWreckedGraphics(graphics);
    else
        block->AddGraphicsLink(graphics);
    if (id != kNoId)
        graphics->SetId(id);
    else
        AddPending(graphics, file, true, false);
    graphics->SetNameA(name->ToNarrowString().c_str());
    // Other code finds a block's images by this word ("slot", "projectile").
    graphics->SetFileNameA(typeWord.c_str());

    TextToken* t = Take();
    if (Is(t, ")"))
        return;
    if (!Is(t, ","))
        Fail("')' expected");
    do
        ApplyPlacement(graphics, ReadValue());
    while (!EndOfValues());
}

void ResourceScript::ParseLinkGfx(ObjectResource* block)
{
    Expect('(');
    TextToken* first = Take();
    if (first->GetKind() != TextToken::String)
        Fail("name must be string");
    Expect(',');
    TextToken* second = Take();
    if (second->GetKind() != TextToken::String)
        Fail("unknown destination name. Must be a type name");
    auto find = [&](TextToken* name) {
        Resource* r = block->FindGraphicsByName(name->ToWideString().c_str());
        if (!r)
            Fail("Object resource was not found");
        auto* g = dynamic_cast<GraphicsResource*>(r);
        if (!g)
            Fail("Resource is not a graphics resource");
        return g;
    };
    GraphicsResource* image = find(first);
    GraphicsResource* destination = find(second);
    destination->AddSubImage(image);
    Expect(')');
}

void ResourceScript::ParseWreckedGfx(ObjectResource* block)
{
    Expect('(');
    TextToken* file = Take();
    if (file->GetKind() != TextToken::String)
        Fail("filename must be string");
    ITexture* image = manager_->LoadTextureA(file->ToNarrowString().c_str(), true, 2);
    GraphicsResource* graphics = manager_->CreateGraphicsResource(image, 0, 0, WidthOf(image), HeightOf(image));
    block->AddSoundLink(graphics);

    bool named = false;
    for (;;) {
        TextToken* t = Take();
        if (t->GetKind() != TextToken::Symbol)
            Fail(", or ) expected");
        if (Is(t, ")"))
            return;
        if (!Is(t, ","))
            Fail(", expected");
        if (named)
            break;
        TextToken* name = Take();
        if (name->GetKind() != TextToken::String)
            Fail("destination/name must be string");
        graphics->SetNameA(name->ToNarrowString().c_str());
        named = true;
    }
    do
        ApplyPlacement(graphics, ReadValue());
    while (!EndOfValues());
}

void ResourceScript::ParseParameter(ObjectResource* block)
{
    Expect('(');
    TextToken* name = Take();
    if (name->GetKind() != TextToken::Word)
        Fail("parameter name must be string without quotation marks");
    Expect(',');
    auto record = std::make_unique<ParameterRecord>();
    record->name = name->ToWideString();
    for (;;) {
        Value v = ReadValue();
        ParameterValue& out = record->values[record->valueCount++];
        out.type = v.kind;
        out.text = v.wideText;
        out.integer = v.integer;
        out.real = float(v.real);
        out.x = float(v.x);
        out.y = float(v.y);
        out.red = v.red;
        out.green = v.green;
        out.blue = v.blue;
        TextToken* t = Take();
        if (Is(t, ")"))
            break;
        if (!Is(t, ","))
            Fail("',' expected");
        if (record->valueCount == ParameterRecord::kMaxValues)
            Fail("too many values for parameter");
    }
    block->AddItem(record.release());
}

void ResourceScript::ParseObjectSfx(ObjectResource* block)
{
    Expect('(');
    int id;
    TextToken* file = ReadIdAndFile("id must be number", IdUse::Sound, &id);
    Expect(',');
    TextToken* name = Take();
    if (name->GetKind() != TextToken::String)
        Fail("name must be string");

    std::u16string wideName = name->ToWideString();
    Resource* found = block->FindGraphicsByName(wideName.c_str());
    bool first = found == nullptr;
    SoundResource* sound = first ? manager_->CreateSoundResource() : dynamic_cast<SoundResource*>(found);
    if (!sound)
        Fail("Object is not a sound");
    if (IAudioBuffer* sample = manager_->LoadSound(file->ToWideString().c_str()))
        sound->AddSound(sample);
    if (first) {
        if (id != kNoId)
            CheckUnused(id);
        sound->SetNameA(name->ToNarrowString().c_str());
        block->AddGraphicsLink(sound);
        if (id != kNoId)
            sound->SetId(id);
        else
            AddPending(sound, file, true, false);
    }

    TextToken* t = Take();
    if (Is(t, ")"))
        return;
    if (!first)
        Fail("Parameter definition is allowed only for the first objectsfx");
    if (!Is(t, ","))
        Fail("'(' expected");
    do {
        Value v = ReadValue();
        if (v.kind == ParameterValue::Volume) {
            if (v.integer < 0 || v.integer > 255)
                Fail("volume must be between 0 and 255");
            sound->SetRange(float(v.integer));
        } else if (v.kind == ParameterValue::Delay) {
            SetSoundDelay(sound, v.real);
        } else if (v.kind != ParameterValue::Word) {
            Fail("unknown parameter");
        }
    } while (!EndOfValues());
}

void ResourceScript::ParseLinkSfx(ObjectResource* block)
{
    Expect('(');
    TextToken* name = Take();
    if (name->GetKind() != TextToken::String)
        Fail("name must be string");
    Expect(',');
    TextToken* destination = Take();
    if (destination->GetKind() == TextToken::Word) {
        Resource* r = block->FindGraphicsByName(name->ToWideString().c_str());
        if (!r)
            Fail("Sound resource was not found");
        if (!r->GetSoundInterface())
            Fail("Resource is not a sound resource");
        int index = SoundDestination(destination->ToNarrowString());
        if (index < 0)
            Fail("Unknown sound destination");
        block->AddIndexedLink(r, index);
    }
    TextToken* t = Take();
    if (Is(t, ")"))
        return;
    if (!Is(t, ","))
        Fail("'(' expected");
    if (Take()->GetKind() != TextToken::String)
        Fail("unknown destination object name");
    Expect(')');
}

void ResourceScript::ParseTileGfx(ObjectResource* block, int classId)
{
    Expect('(');
    int id;
    TextToken* file = ReadIdAndFile("object id must be number", IdUse::Tile, &id);
    Expect(',');
    TextToken* name = Take();
    if (name->GetKind() != TextToken::String)
        Fail("name must be string");
    Expect(',');
    TextToken* type = Take();
    if (type->GetKind() != TextToken::Word)
        Fail("invalid token for type");
    std::string typeWord = type->ToNarrowString();
    if (typeWord != "main" && typeWord != "bump")
        Fail("type must be 'main' or 'bump'");
    Expect(',');
    Value row = ReadValue();
    if (row.kind != ParameterValue::Row)
        Fail("row is missing from floorgfx");
    Expect(')');

    std::string fileName = file->ToNarrowString();
    ITexture* sheet = manager_->LoadTextureA(fileName.c_str(), true, 1);
    RequireSheet(sheet, fileName);
    BlockResource* tile = manager_->CreateBlockResource(sheet, row.integer);
    if (typeWord == "main")
        block->SetGraphics(tile);
    else
        block->SetWreckedGraphics(tile);
    if (id != kNoId)
        tile->SetId(id);
    else
        AddPending(tile, file, true, true);
    tile->SetNameA(name->ToNarrowString().c_str());

    if (classId == ResourceClass::Floor)
        manager_->NotifyListenerA(block);
    else if (classId == ResourceClass::Wall)
        manager_->NotifyListenerB(block);
}

void ResourceScript::ParseShadowGfx(ObjectResource* block)
{
    Expect('(');
    int id;
    TextToken* file = ReadIdAndFile("shadow id must be number", IdUse::Object, &id);
    for (;;) {
        TextToken* t = Take();
        if (Is(t, ")"))
            break;
        if (!Is(t, ","))
            Fail("',' expected");
    }
    ITexture* image = manager_->LoadImageA(file->ToNarrowString().c_str(), true, 2);
    GraphicsResource* graphics = manager_->CreateGraphicsResource(image, 0, 0, WidthOf(image), HeightOf(image));
    block->SetLinkGraphics(graphics);
    if (id != kNoId)
        graphics->SetId(id);
    else
        AddPending(graphics, file, true, false);
    graphics->SetNameA("_main_shadow");
}

void ResourceScript::ReadPoint(const TextToken* x, std::vector<float>& points)
{
    if (!IsNumber(x))
        Fail("coordinate x value must be number");
    Expect(',');
    TextToken* y = Take();
    if (!IsNumber(y))
        Fail("coordinate y value must be number");
    if (int(points.size() / 2) == kMaxPoints)
        Fail("Maximum coordinate count is 64");
    points.push_back(float(NumberOf(x)));
    points.push_back(float(NumberOf(y)));
}

void ResourceScript::ParseBounding(ObjectResource* block)
{
    Expect('(');
    std::vector<float> points;
    for (;;) {
        TextToken* x = Take();
        if (Is(x, ")"))
            break;
        ReadPoint(x, points);
        TextToken* t = Take();
        if (Is(t, ")"))
            break;
        if (!Is(t, ","))
            Fail(") or , expected");
    }
    block->LoadParameters(points.data(), int(points.size() / 2));
}

void ResourceScript::ParseBreakable(ObjectResource* block)
{
    Expect('(');
    TextToken* destination = Take();
    if (destination->GetKind() != TextToken::String)
        Fail("destination must be string");
    Expect(',');
    TextToken* sub = Take();
    if (sub->GetKind() != TextToken::String)
        Fail("sub destination must be string");
    Expect(',');
    TextToken* health = Take();
    if (!IsNumber(health))
        Fail("health must be number");
    Expect(',');
    TextToken* type = Take();
    if (type->GetKind() != TextToken::Word)
        Fail("type must be name");
    std::string material = type->ToNarrowString();
    int materialCode = material == "wood" ? 0 : material == "metal" ? 1 : material == "class" ? 2 : -1;
    if (materialCode < 0)
        Fail("type must be wood, metal or class");
    Expect(',');
    Expect('<');

    std::vector<float> points;
    for (;;) {
        Expect('(');
        ReadPoint(Take(), points);
        Expect(')');
        TextToken* t = Take();
        if (Is(t, ">"))
            break;
        if (!Is(t, ","))
            Fail(", or > expected");
    }
    Expect(')');

    FreeParameter* record = block->AddParameter(destination->ToNarrowString().c_str(), sub->ToNarrowString().c_str());
    record->health = health->ToInt(); // truncated, saturating
    record->material = materialCode;
    record->points = points;
}
