#include "editor/dialogs/DialogValues.h"

#include "engine/core/StringKit.h"

#include <algorithm>
#include <climits>

namespace DialogValues {

void AlignOffsets(Alignment alignment, int width, int height, const Area& used, int* left, int* top)
{
    const int usedW = used.right - used.left, usedH = used.bottom - used.top;
    switch (alignment) {
    case Alignment::Free:
        break;
    case Alignment::Center:
        *left = width / 2 - usedW / 2;
        *top = height / 2 - usedH / 2;
        break;
    case Alignment::Left:
        *left = 0;
        break;
    case Alignment::Top:
        *top = 0;
        break;
    case Alignment::Right:
        *left = std::max(0, width / 2 - usedW);
        break;
    case Alignment::Bottom:
        *top = std::max(0, height / 2 - usedH);
        break;
    }
}

bool CutsBlocks(int width, int height, int left, int top, const Area& used)
{
    const long long needW = (long long)left + (used.right - used.left + 1);
    const long long needH = (long long)top + (used.bottom - used.top + 1);
    // A centred area wider than the new size starts left of it.
    return left < 0 || top < 0 || needW > width || needH > height;
}

int FieldNumber(const std::u16string& text)
{
    long long v = 0;
    if (!Util::ParseInt(text.c_str(), &v) || v < INT_MIN || v > INT_MAX)
        return 0;
    return int(v);
}

bool ValidSide(int side) { return side >= 1 && side <= kMaxLevelSide; }

int ColourChannel(const std::u16string& text)
{
    long long v = 0;
    if (!Util::ParseInt(text.c_str(), &v))
        return 0;
    return int(std::clamp(v, 0LL, 255LL));
}

AudioEnvironmentParameters DefaultEnvironment()
{
    AudioEnvironmentParameters p{};
    p.room = -1000;
    p.roomHF = -100;
    p.roomRolloffFactor = 0.0f;
    p.decayTime = 1.49f;
    p.decayHFRatio = 0.83f;
    p.reflections = -2602;
    p.reflectionsDelay = 0.007f;
    p.reverb = 200;
    p.reverbDelay = 0.011f;
    p.environment = 0;
    p.environmentSize = 7.5f;
    p.environmentDiffusion = 1.0f;
    p.airAbsorptionHF = -5.0f;
    return p;
}

float ClampEnvironmentSize(float size)
{
    // A size that is no number counts as the smallest.
    if (!(size >= kMinEnvironmentSize))
        return kMinEnvironmentSize;
    return std::min(size, kMaxEnvironmentSize);
}

float EnvironmentSizeOf(const std::u16string& text)
{
    double v = 0.0;
    const std::string narrow = Util::Narrow(text);
    if (!Util::ParseFloat(narrow.c_str(), &v))
        return 0.0f;
    return float(v);
}

} // namespace DialogValues
