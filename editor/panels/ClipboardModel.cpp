#include "editor/panels/ClipboardModel.h"

#include "engine/core/StringKit.h"

#include <algorithm>

int ClipboardModel::FieldValue(Field f, const std::u16string& text)
{
    long long v = 0;
    if (!Util::ParseInt(text.c_str(), &v))
        return 0;
    return int(std::clamp(v, 0LL, (long long)Maximum(f)));
}

int ClipboardModel::Spin(Field f, int position, int delta)
{
    const long long v = (long long)position + (long long)delta * Step(f);
    return int(std::clamp(v, 0LL, (long long)Maximum(f)));
}

bool ClipboardModel::Add(int definitionId)
{
    if (Contains(definitionId))
        return false;
    items_.push_back({definitionId, int(items_.size())});
    return true;
}

int ClipboardModel::Remove(int definitionId)
{
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& i) { return i.definitionId == definitionId; });
    if (it == items_.end())
        return -1;
    const int image = it->image;
    items_.erase(it);
    for (Item& i : items_)
        if (i.image > image)
            --i.image;
    return image;
}

bool ClipboardModel::Contains(int definitionId) const { return ImageOf(definitionId) >= 0; }

int ClipboardModel::ImageOf(int definitionId) const
{
    for (const Item& i : items_)
        if (i.definitionId == definitionId)
            return i.image;
    return -1;
}
