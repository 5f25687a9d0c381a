#include "game/world/settings/KeyBindingTable.h"

namespace {

using K = KeyBindingInfo;

const KeyBindingInfo kTable[kKeyBindingCount] = {
    {u"throwgrenadebutton", 1002, K::MouseButton, 1},
    {u"chatbutton", 116, K::InputAction, 47},
    {u"teamchatbutton", 121, K::InputAction, 52},
    {u"shootbutton", 1000, K::MouseButton, 0},
    {u"remotebutton", 99, K::InputAction, 30},
    {u"lightbutton", 102, K::InputAction, 33},
    {u"pickbutton", 113, K::InputAction, 44},
    {u"selectexplosivebutton", 49, K::InputAction, 18},
    {u"selectsmallbutton", 50, K::InputAction, 19},
    {u"selectmainbutton", 51, K::InputAction, 20},
    {u"selectgrenadebutton", 52, K::InputAction, 21},
    {u"selectfivebutton", -1, K::InputAction, 22},
    {u"zoombutton", -1, K::None, 0},
    {u"usebutton", 101, K::InputAction, 32},
    {u"reloadbutton", 114, K::InputAction, 45},
    {u"dropbutton", 103, K::InputAction, 34},
    {u"moveupbutton", 119, K::InputAction, 50},
    {u"movedownbutton", 115, K::InputAction, 46},
    {u"moverightbutton", 100, K::InputAction, 31},
    {u"moveleftbutton", 97, K::InputAction, 28},
    {u"aimingbutton", 308, K::None, 0},
    {u"sprintbutton", 304, K::None, 0},
    {u"crouchbutton", 306, K::None, 0},
    {u"mapbutton", 109, K::None, 0},
    {u"scoresbutton", 9, K::None, 0},
    {u"changeteambutton", 111, K::None, 0},
    {u"brightdownbutton", 286, K::None, 0},
    {u"brightupbutton", 287, K::None, 0},
    {u"volumedownbutton", 288, K::None, 0},
    {u"volumeupbutton", 289, K::None, 0},
    {u"quittomenubutton", 27, K::None, 0},
    {u"kickplayerbutton", 282, K::None, 0},
    {u"balanceteamsbutton", 283, K::None, 0},
    {u"changemapbutton", 284, K::None, 0},
    {u"executeadminbutton", 13, K::None, 0},
    {u"exitadminbutton", 27, K::None, 0},
    {u"screenshotbutton", 292, K::None, 0},
};

} // namespace

const int kKeyBindingWriteOrder[kKeyBindingCount - 1] = {
    0,  1,  2,  16, 19, 17, 18, 3,  4,  5,  6,  7,  8,  9,  10, 11, 13, 14,
    15, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36,
};

const KeyBindingInfo* GetKeyBindingInfo(int index)
{
    return index >= 0 && index < kKeyBindingCount ? &kTable[index] : nullptr;
}
