#pragma once

#include <memory>
#include <string>
#include <vector>

// One value of a script parameter. The type says which fields hold it:
// 0 bare word and 1 string (text), 2 integer, 3 real (real), 4 "co" and
// 5 "pivot" (x, y), 6 "row", 7 "col", 8 "state", 12 "volume" (integer),
// 9 "color" (red, green, blue), 10 "direction", 11 "delay", 14 "disabled"
// (real), 13 "loop" (nothing).
struct ParameterValue {
    enum Type {
        Word = 0,
        String = 1,
        Integer = 2,
        Real = 3,
        Co = 4,
        Pivot = 5,
        Row = 6,
        Col = 7,
        State = 8,
        Color = 9,
        Direction = 10,
        Delay = 11,
        Volume = 12,
        Loop = 13,
        Disabled = 14,
    };
    int type = Word;
    int integer = 0;
    float real = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    std::u16string text;
    int red = 0;
    int green = 0;
    int blue = 0;
};

// A named "parameter" section of a block: one to eight values.
struct ParameterRecord {
    static constexpr int kMaxValues = 8;
    std::u16string name;
    int valueCount = 0;
    ParameterValue values[kMaxValues];

    const ParameterValue* Value(int i) const { return (i >= 0 && i < valueCount) ? &values[i] : nullptr; }
};

// A free parameter of a resource (IResource::AddParameter); the "breakable"
// section fills the rest: key = destination, value = sub destination.
struct FreeParameter {
    std::u16string key;
    std::u16string value;
    int health = 0;
    int material = 0;          // 0 wood, 1 metal, 2 "class"
    std::vector<float> points; // x, y pairs
    int PointCount() const { return int(points.size() / 2); }
};

// The owned "parameter" sections of a resource, found by exact name.
class ParameterList {
public:
    void Add(ParameterRecord* record)
    {
        if (record)
            items_.emplace_back(record);
    }
    ParameterRecord* Find(const char16_t* name) const
    {
        if (!name)
            return nullptr;
        for (const auto& item : items_)
            if (item->name == name)
                return item.get();
        return nullptr;
    }
    int GetCount() const { return int(items_.size()); }

private:
    std::vector<std::unique_ptr<ParameterRecord>> items_;
};
