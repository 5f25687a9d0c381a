#include "game/world/resources/Resource.h"

#include "engine/core/StringKit.h"
#include "engine/xml/TextToken.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ParameterRecord.h"

Resource::Resource(IResourceManager* manager, int classId) : manager_(manager), classId_(classId) {}

Resource::~Resource() {}

int Resource::GetClassId() { return classId_; }

int Resource::GetSubImageCount() { return 0; }

GraphicsResource* Resource::GetSubImage(int) { return nullptr; }

int Resource::GetId() { return id_; }

void Resource::SetId(int id) { id_ = id; }

const char16_t* Resource::GetName() { return hasName_ ? name_.c_str() : u""; }

bool Resource::NameIs(const char16_t* name) const { return hasName_ && name && name_ == name; }

void Resource::SetNameA(const char* name)
{
    if (!name) {
        SetName(nullptr);
        return;
    }
    std::u16string wide = Util::Widen(name);
    SetName(wide.c_str());
}

void Resource::SetName(const char16_t* name)
{
    hasName_ = name != nullptr;
    name_ = name ? name : u"";
    if (nameToken_)
        WriteNameToken();
}

void Resource::WriteNameToken()
{
    // The token sits between quotes in the script: a quote or a line break
    // in the name would end the string early and break the script.
    std::u16string text;
    text.reserve(name_.size());
    for (char16_t c : name_)
        if (c != u'"' && c != u'\r' && c != u'\n')
            text += c;
    nameToken_->SetText(text.c_str());
}

const char16_t* Resource::GetFileName() { return hasFileName_ ? fileName_.c_str() : u""; }

void Resource::SetFileNameA(const char* name)
{
    hasFileName_ = name != nullptr;
    fileName_ = name ? Util::Widen(name) : std::u16string();
}

void Resource::SetFileName(const char16_t* name)
{
    hasFileName_ = name != nullptr;
    fileName_ = name ? name : u"";
}

void Resource::SetGraphics(IResource*) {}

IResource* Resource::GetGraphics() { return nullptr; }

void Resource::SetLinkGraphics(IResource*) {}

ITexture* Resource::GetLinkImage() { return nullptr; }

void Resource::SetWreckedGraphics(IResource*) {}

ITexture* Resource::GetWreckedImage() { return nullptr; }

void Resource::SetRow(int row) { row_ = row; }

int Resource::GetRow() { return row_; }

void Resource::SetOffset(float x, float y)
{
    offsetX_ = x;
    offsetY_ = y;
}

void Resource::GetOffset(float* x, float* y)
{
    if (x)
        *x = offsetX_;
    if (y)
        *y = offsetY_;
}

void Resource::SetPivot(float x, float y)
{
    pivotX_ = x;
    pivotY_ = y;
}

void Resource::GetPivot(float* x, float* y)
{
    if (x)
        *x = pivotX_;
    if (y)
        *y = pivotY_;
}

void Resource::SetState(int state) { state_ = state; }

int Resource::GetState() { return state_; }

void Resource::LoadParameters(const float*, int) {}

bool Resource::IsBreakable() { return false; }

int Resource::GetHealth() { return 0; }

const float* Resource::GetBounding() { return nullptr; }

void Resource::AddGraphicsLink(IResource* graphics)
{
    if (Resource* r = dynamic_cast<Resource*>(graphics))
        graphicsLinks_.Add(r);
}

Resource* Resource::FindGraphicsByFile(const char16_t* fileName)
{
    if (!fileName)
        return nullptr;
    for (int i = 0; i < graphicsLinks_.GetCount(); ++i) {
        Resource* r = graphicsLinks_.Get(i);
        if (r->hasFileName_ && r->fileName_ == fileName)
            return r;
    }
    return nullptr;
}

Resource* Resource::FindGraphicsByName(const char16_t* name)
{
    for (int i = 0; i < graphicsLinks_.GetCount(); ++i) {
        Resource* r = graphicsLinks_.Get(i);
        if (r->NameIs(name))
            return r;
    }
    return nullptr;
}

void Resource::AddSoundLink(IResource* sound)
{
    if (Resource* r = dynamic_cast<Resource*>(sound))
        soundLinks_.Add(r);
}

Resource* Resource::FindSound(const char16_t* name)
{
    for (int i = 0; i < soundLinks_.GetCount(); ++i) {
        Resource* r = soundLinks_.Get(i);
        if (name ? r->NameIs(name) : !r->hasName_)
            return r;
    }
    return nullptr;
}

FreeParameter* Resource::AddParameter(const char* key, const char* value)
{
    auto record = std::make_unique<FreeParameter>();
    record->key = key ? Util::Widen(key) : std::u16string();
    record->value = value ? Util::Widen(value) : record->key;
    parameters_.push_back(std::move(record));
    return parameters_.back().get();
}

int Resource::GetParameterCount() { return int(parameters_.size()); }

FreeParameter* Resource::GetParameter(int i)
{
    if (i < 0 || i >= int(parameters_.size()))
        return nullptr;
    return parameters_[size_t(i)].get();
}

void Resource::SelectInManager()
{
    if (manager_)
        manager_->SetCurrentResource(this);
}

void Resource::AddIndexedLink(IResource* link, int index) { indexedLinks_.push_back({link, index}); }

IResource* Resource::GetIndexedLink(int index)
{
    for (const IndexedLink& l : indexedLinks_)
        if (l.index == index)
            return l.link;
    return nullptr;
}

ISoundResource* Resource::GetSoundInterface() { return nullptr; }
