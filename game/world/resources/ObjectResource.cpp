#include "game/world/resources/ObjectResource.h"

#include "game/world/resources/ParameterRecord.h"

ObjectResource::ObjectResource(IResourceManager* manager, int classId) : Resource(manager, classId) {}

ObjectResource::~ObjectResource() {}

void ObjectResource::SetGraphics(IResource* graphics) { main_ = dynamic_cast<Resource*>(graphics); }

IResource* ObjectResource::GetGraphics() { return main_; }

ITexture* ObjectResource::GetImage() { return main_ ? main_->GetImage() : nullptr; }

void ObjectResource::SetLinkGraphics(IResource* graphics) { shadow_ = dynamic_cast<Resource*>(graphics); }

ITexture* ObjectResource::GetLinkImage() { return shadow_ ? shadow_->GetImage() : nullptr; }

void ObjectResource::SetWreckedGraphics(IResource* graphics) { bump_ = dynamic_cast<Resource*>(graphics); }

ITexture* ObjectResource::GetWreckedImage() { return bump_ ? bump_->GetImage() : nullptr; }

void ObjectResource::SetPivot(float x, float y)
{
    if (main_)
        main_->SetPivot(x, y);
    else
        Resource::SetPivot(x, y);
}

void ObjectResource::GetPivot(float* x, float* y)
{
    if (main_)
        main_->GetPivot(x, y);
    else
        Resource::GetPivot(x, y);
}

void ObjectResource::LoadParameters(const float* points, int count)
{
    polygon_.clear();
    if (!points || count < 1) {
        // A bounding section without points still counts as given.
        polygonCount_ = -1;
        return;
    }
    polygon_.assign(points, points + size_t(count) * 2);
    polygonCount_ = count;
}

bool ObjectResource::IsBreakable() { return polygonCount_ != 0; }

int ObjectResource::GetHealth() { return polygonCount_ > 0 ? polygonCount_ : 0; }

const float* ObjectResource::GetBounding() { return polygon_.empty() ? nullptr : polygon_.data(); }

void ObjectResource::AddItem(ParameterRecord* record) { items_.Add(record); }

ParameterRecord* ObjectResource::FindItem(const char16_t* name) { return items_.Find(name); }

Resource* ObjectResource::FindGraphicsByName(const char16_t* name)
{
    if (main_ && main_->GetNameOrNull() && name && main_->GetName() == std::u16string(name))
        return main_;
    return Resource::FindGraphicsByName(name);
}

const uint32_t* ObjectResource::CreateThumbnail() { return main_ ? main_->CreateThumbnail() : nullptr; }

void ObjectResource::FreeThumbnail()
{
    if (main_)
        main_->FreeThumbnail();
}
