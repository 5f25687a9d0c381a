#include "game/world/resources/ResourceScript.h"

#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/xml/TextToken.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ParseException.h"
#include "game/world/resources/ResourceClass.h"
#include "platform/ui/Ui.h"

#include <climits>
#include <memory>

namespace {

// Far beyond any script; a bigger file is not ours.
const int kMaxScriptBytes = 16 * 1024 * 1024;

struct ClassKeyword {
    const char* word;
    int code;
};

const ClassKeyword kClasses[] = {
    {"vehicle", ResourceClass::Vehicle},
    {"boat", ResourceClass::Boat},
    {"ammo", ResourceClass::Ammo},
    {"ammodef", ResourceClass::AmmoDef},
    {"weapon", ResourceClass::Weapon},
    {"weaponsystem", ResourceClass::WeaponSystem},
    {"item", ResourceClass::Item},
    {"trash", ResourceClass::Trash},
    {"plant", ResourceClass::Plant},
    {"tree", ResourceClass::Tree},
    {"lamp", ResourceClass::Lamp},
    {"furniture", ResourceClass::Furniture},
    {"startpoint", ResourceClass::StartPoint},
    {"floor", ResourceClass::Floor},
    {"wall", ResourceClass::Wall},
    {"door", ResourceClass::Door},
    {"window", ResourceClass::Window},
    {"missionitem", ResourceClass::MissionItem},
};

bool IsTileClass(int code) { return code == ResourceClass::Floor || code == ResourceClass::Wall; }

// Ammo definitions, weapon systems, floors and walls are no palette objects.
bool IsFinishedBlockClass(int code)
{
    return code != ResourceClass::AmmoDef && code != ResourceClass::WeaponSystem && !IsTileClass(code);
}

} // namespace

ResourceScript::ResourceScript(IResourceManager* manager, IFileManager* files)
    : manager_(manager), files_(files), tokenizer_(false)
{
}

ResourceScript::~ResourceScript() = default;

bool ResourceScript::ReadFile(std::vector<char>& bytes)
{
    IFile* file = nullptr;
    // Edits are saved to disk, so a disk copy wins over the package's.
    if (editMode_)
        file = files_->Open(fileName_.c_str(), kOpenRead, kOpenNoPackage);
    if (!file)
        file = files_->Open(fileName_.c_str(), kOpenRead, 0);
    if (!file)
        return false;
    hasFileName_ = true;
    int size = file->GetSize();
    bool ok = size >= 0 && size <= kMaxScriptBytes;
    if (ok) {
        bytes.assign(size_t(size) + 32, '\0');
        int got = 0;
        while (got < size) {
            int n = file->Read(bytes.data() + got, size - got);
            if (n <= 0)
                break;
            got += n;
        }
        ok = got == size;
        bytes.resize(size_t(size));
    }
    delete file; // closes; CloseAndDelete would remove a disk file
    return ok;
}

bool ResourceScript::Load(const char16_t* fileName)
{
    if (!manager_ || !files_ || !fileName)
        return false;
    // A second load replaces the text, and with it every placeholder.
    pendingIds_.clear();
    line_ = 1;
    fileName_ = fileName;
    std::vector<char> bytes;
    if (!ReadFile(bytes))
        return false;
    tokenizer_.LoadNarrow(int(bytes.size()), bytes.data());
    bytes.clear();
    bytes.shrink_to_fit();

    try {
        ParseScript();
    } catch (const nsParser::ParseException& e) {
        Report(e.GetMessage());
        return false;
    }
    if (editMode_)
        AssignPendingIds();
    return true;
}

void ResourceScript::Report(const std::string& message)
{
    std::string text = "Resource script (" + Util::Narrow(fileName_) + ") parse failed on line " +
                       Util::IntToString(line_) + ": " + message;
    ShowReport(text);
}

void ResourceScript::AssignPendingIds()
{
    if (!editMode_)
        return;
    // All ids are drawn and go into the text in one pass: one at a time,
    // each looks at every resource and moves every later token.
    size_t count = pendingIds_.size();
    std::vector<IResource*> resources(count);
    std::unique_ptr<bool[]> tiles(new bool[count + 1]);
    for (size_t i = 0; i < count; ++i) {
        resources[i] = pendingIds_[i].resource;
        tiles[i] = pendingIds_[i].tile;
    }
    manager_->AssignNewIds(resources.data(), tiles.get(), int(count));

    std::vector<TextTokenizer::PlaceholderText> edits;
    edits.reserve(count);
    for (const PendingId& p : pendingIds_) {
        int id = p.resource->GetId();
        if (id == kNoId)
            continue; // every id taken: the definition stays without one
        // A name written right after the class word ("floor\"x\"") needs a
        // blank in front of the id, or the id joins the word.
        int at = p.place->GetStart();
        char16_t before = at > 0 ? tokenizer_.GetText()[at - 1] : u' ';
        bool joins = (before >= u'0' && before <= u'9') || (before >= u'a' && before <= u'z') ||
                     (before >= u'A' && before <= u'Z') || before == u'_' || before == 0xC3B7 || before == 0xC692 ||
                     before == 0xCB86;
        char16_t buffer[64];
        Util::FormatTo(buffer, 64, p.separator ? u"%d, " : joins ? u" %d " : u"%d ", id);
        edits.push_back(TextTokenizer::PlaceholderText{p.place, buffer});
    }
    tokenizer_.SetPlaceholderTexts(edits);
    pendingIds_.clear();
}

bool ResourceScript::SaveBack()
{
    if (!editMode_ || !tokenizer_.IsModified())
        return true;
    if (!hasFileName_ || !files_)
        return false;
    IFile* file = files_->Open(fileName_.c_str(), kOpenWrite, kOpenReplace);
    if (!file)
        return false;
    const char16_t* text = tokenizer_.GetText();
    int length = tokenizer_.GetLength();
    std::string bytes(size_t(length), '\0');
    for (int i = 0; i < length; ++i)
        bytes[size_t(i)] = char(text[i] & 0xFF);
    bool ok = file->Write(bytes.data(), length) && file->Flush();
    if (!ok)
        file->CloseAndDelete(); // drops the new text, keeps the old script
    delete file;
    if (!ok) {
        Ui::ShowMessage(u"Error!",
                        u"This is a critical error! resource script data could'n be written to the file.\n"
                        u"The script is now absolutely corrupted. Sorry.",
                        Ui::Icon::Error);
        return false;
    }
    return true;
}

TextToken* ResourceScript::Take()
{
    TextToken* t = tokenizer_.NextToken();
    if (!t)
        throw nsParser::ParseException("Unexpected end of script");
    line_ = t->GetLine();
    return t;
}

void ResourceScript::Fail(const std::string& message) { throw nsParser::ParseException(message); }

bool ResourceScript::Is(const TextToken* t, const char* text) { return t->ToNarrowString() == text; }

void ResourceScript::Expect(char symbol)
{
    TextToken* t = Take();
    std::string text = t->ToNarrowString();
    if (text.size() != 1 || text[0] != symbol)
        Fail(std::string("'") + symbol + "' expected. '" + text + "' parsed.");
}

bool ResourceScript::IsNumber(const TextToken* t)
{
    return t->GetKind() == TextToken::Integer || t->GetKind() == TextToken::Real;
}

double ResourceScript::NumberOf(const TextToken* t)
{
    return t->GetKind() == TextToken::Integer ? double(t->GetIntValue()) : t->GetRealValue();
}

int ResourceScript::CheckedId(const TextToken* t)
{
    // The tokenizer saturates long digit runs; the digits themselves tell
    // whether the id fits.
    const char16_t* text = tokenizer_.GetText();
    int from = t->GetStart();
    int to = t->GetEnd();
    long long value = 0;
    bool fits = to > from;
    for (int i = from; fits && i < to; ++i) {
        value = value * 10 + (text[i] - u'0');
        fits = text[i] >= u'0' && text[i] <= u'9' && value <= INT_MAX;
    }
    if (!fits) {
        std::string digits;
        for (int i = from; i < to; ++i)
            digits += char(text[i] & 0xFF);
        Fail("Id is out of range: '" + digits + "'");
    }
    return int(value);
}

void ResourceScript::CheckTileId(int id)
{
    // Level files keep tile ids in 18 bits, 0x3ffff being an empty cell.
    if (id < 0 || id >= kNoTile)
        Fail("Tile id must be between 0 and " + Util::IntToString(kNoTile - 1));
}

void ResourceScript::CheckUnused(int id)
{
    if (manager_->GetById(id))
        Fail("Object with id " + Util::IntToString(id) + " allready exist");
}

void ResourceScript::AddPending(IResource* resource, const TextToken* at, bool separator, bool tile)
{
    if (!editMode_)
        return;
    pendingIds_.push_back(PendingId{resource, tokenizer_.AddPlaceholder(at), separator, tile});
}

void ResourceScript::ParseScript()
{
    while (TextToken* t = tokenizer_.NextToken()) {
        line_ = t->GetLine();
        ParseBlock(t);
    }
}

void ResourceScript::ParseBlock(TextToken* classToken)
{
    if (classToken->GetKind() != TextToken::Word)
        Fail("Class name must be string. Invalid token: '" + classToken->ToNarrowString() + "'");
    std::string word = classToken->ToNarrowString();
    int code = -1;
    for (const ClassKeyword& k : kClasses)
        if (word == k.word)
            code = k.code;
    if (code < 0)
        Fail("Unknown block class: '" + word + "'");

    ObjectResource* block = manager_->CreateObjectResource(code);
    TextToken* t = Take();
    TextToken* nameToken = nullptr;
    if (t->GetKind() == TextToken::String) {
        nameToken = t;
        AddPending(block, t, false, IsTileClass(code));
    } else if (t->GetKind() == TextToken::Integer) {
        TextToken* idToken = t;
        nameToken = Take();
        if (nameToken->GetKind() != TextToken::String)
            Fail("Block name is missing");
        int id = CheckedId(idToken);
        CheckUnused(id);
        if (IsTileClass(code))
            CheckTileId(id);
        block->SetId(id);
    } else {
        Fail("Block id is not number");
    }
    block->SetNameA(nameToken->ToNarrowString().c_str());
    // Attached after the name is set, so that setting it writes nothing.
    if (editMode_)
        block->SetNameToken(nameToken);

    if (!Is(Take(), "("))
        Fail("'(' expected");
    for (;;) {
        t = Take();
        std::string section = t->ToNarrowString();
        if (section == ")")
            break;
        if (section == "objectgfx")
            ParseObjectGfx(block);
        else if (section == "linkgfx")
            ParseLinkGfx(block);
        else if (section == "wreckedgfx")
            ParseWreckedGfx(block);
        else if (section == "parameter")
            ParseParameter(block);
        else if (section == "objectsfx")
            ParseObjectSfx(block);
        else if (section == "linksfx")
            ParseLinkSfx(block);
        else if (section == "floorgfx" || section == "wallgfx")
            ParseTileGfx(block, code);
        else if (section == "shadowgfx")
            ParseShadowGfx(block);
        else if (section == "bounding")
            ParseBounding(block);
        else if (section == "breakable")
            ParseBreakable(block);
        else
            Fail("Unknown object stuff: '" + section + "'");
    }
    if (IsFinishedBlockClass(block->GetClassId()))
        manager_->NotifyListenerC(block);
}

ResourceScript::Value ResourceScript::ReadValue()
{
    Value v;
    TextToken* t = Take();
    switch (t->GetKind()) {
    case TextToken::String:
        v.kind = ParameterValue::String;
        v.text = t->ToNarrowString();
        v.wideText = t->ToWideString();
        return v;
    case TextToken::Integer:
        v.kind = ParameterValue::Integer;
        v.integer = t->GetIntValue();
        return v;
    case TextToken::Real:
        v.kind = ParameterValue::Real;
        v.real = t->GetRealValue();
        return v;
    case TextToken::Symbol:
        Fail("Value syntax error. '" + t->ToNarrowString() + "' parsed.");
    case TextToken::Word:
        break;
    }

    std::string word = t->ToNarrowString();
    auto number = [this](const char* message) {
        TextToken* n = Take();
        if (!IsNumber(n))
            Fail(message);
        return NumberOf(n);
    };
    auto integer = [this](const char* message) {
        TextToken* n = Take();
        if (n->GetKind() != TextToken::Integer)
            Fail(message);
        return n->GetIntValue();
    };
    if (word == "pivot" || word == "co") {
        v.kind = word == "pivot" ? ParameterValue::Pivot : ParameterValue::Co;
        Expect('(');
        v.x = number("pivot x value must be number");
        Expect(',');
        v.y = number("pivot y value must be number");
        Expect(')');
    } else if (word == "row" || word == "col" || word == "state" || word == "volume") {
        v.kind = word == "row"     ? ParameterValue::Row
                 : word == "col"   ? ParameterValue::Col
                 : word == "state" ? ParameterValue::State
                                   : ParameterValue::Volume;
        Expect('(');
        v.integer = integer((word + " value must be integer").c_str());
        Expect(')');
    } else if (word == "color") {
        v.kind = ParameterValue::Color;
        Expect('(');
        v.red = integer("red value must be integer");
        Expect(',');
        v.green = integer("green value must be integer");
        Expect(',');
        v.blue = integer("blue value must be integer");
        Expect(')');
    } else if (word == "direction" || word == "delay" || word == "disabled") {
        v.kind = word == "direction" ? ParameterValue::Direction
                 : word == "delay"   ? ParameterValue::Delay
                                     : ParameterValue::Disabled;
        Expect('(');
        v.real = float(number(word == "direction" ? "direction value must be integer or float"
                                                  : (word + " value must be number").c_str()));
        Expect(')');
    } else if (word == "loop") {
        v.kind = ParameterValue::Loop;
    } else {
        v.kind = ParameterValue::Word;
        v.text = word;
        v.wideText = t->ToWideString();
    }
    return v;
}
