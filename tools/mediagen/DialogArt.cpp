#include "DialogArt.h"

#include "Canvas.h"
#include "MediaWriter.h"

#include <cstring>
#include <string>

namespace {

constexpr Rgb kNight{22, 28, 40};
constexpr Rgb kDusk{70, 84, 104};
constexpr Rgb kSnow{236, 240, 244};
constexpr Rgb kFinBlue{24, 60, 150};
constexpr Rgb kRusRed{170, 28, 24};
constexpr Rgb kGold{230, 196, 60};

// Capitals of five by seven cells, rows top to bottom; enough for the
// words below.
const char* Glyph(char c)
{
    switch (c) {
    case 'A': return ".###.#...##...#######...##...##...#";
    case 'D': return "####.#...##...##...##...##...#####.";
    case 'E': return "######....#....####.#....#....#####";
    case 'H': return "#...##...##...#######...##...##...#";
    case 'L': return "#....#....#....#....#....#....#####";
    case 'N': return "#...###..##.#.##..###...##...##...#";
    case 'O': return ".###.#...##...##...##...##...#.###.";
    case 'P': return "####.#...##...#####.#....#....#....";
    case 'R': return "####.#...##...#####.#.#..#..#.#...#";
    case 'S': return ".#####....#.....###.....#....#####.";
    case 'T': return "#####..#....#....#....#....#....#..";
    case 'U': return "#...##...##...##...##...##...#.###.";
    case 'V': return "#...##...##...##...##...#.#.#...#..";
    case 'W': return "#...##...##...##.#.##.#.###.###...#";
    default: return nullptr;
    }
}

int TextWidth(const std::string& text, int scale) { return int(text.size()) * 6 * scale - scale; }

void Text(Canvas& c, const std::string& text, int x, int y, int scale, Rgb colour)
{
    for (char ch : text) {
        if (const char* g = Glyph(ch))
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g[row * 5 + col] == '#')
                        c.FillRect(x + col * scale, y + row * scale, scale, scale, colour);
        x += 6 * scale;
    }
}

// Night sky over snow, the two flags at the ends and the name between.
Canvas Scene(int w, int h, int titleScale)
{
    Canvas c(w, h);
    for (int y = 0; y < h; ++y)
        c.FillRect(0, y, w, 1, Mix(kNight, kDusk, float(y) / float(h)));
    Rng rng(uint32_t(w * 7 + h));
    for (int i = 0; i < w / 6; ++i)
        c.Set(rng.Below(w), rng.Below(h / 2), Shade(kSnow, 0.6f + rng.Unit() * 0.4f));
    const int flagH = h / 4 > 40 ? 40 : h / 4 > 12 ? h / 4 : 12;
    const int flagW = flagH * 18 / 11;
    c.FillRect(8, 8, flagW, flagH, kSnow);
    c.FillRect(8 + flagW * 5 / 18, 8, flagW * 3 / 18, flagH, kFinBlue);
    c.FillRect(8, 8 + flagH * 4 / 11, flagW, flagH * 3 / 11, kFinBlue);
    c.FillRect(w - 8 - flagW, 8, flagW, flagH, kRusRed);
    c.FillCircle(float(w - 8 - flagW + flagW / 5), 8.0f + flagH / 4.0f, flagH / 8.0f, kGold);
    const std::string title = "VORNHAL";
    Text(c, title, (w - TextWidth(title, titleScale)) / 2, 8, titleScale, kGold);
    return c;
}

} // namespace

namespace DialogArt {

void Write(MediaWriter& out)
{
    // The log-in dialog shows all but the bottom 47 rows; its fields sit
    // at 87/227 of the width, 60/105 and 78/105 of the shown height down.
    Canvas login = Scene(340, 240, 3);
    login.FillRect(0, 142, 340, 98, Shade(kSnow, 0.35f));
    Text(login, "USER", 122 - TextWidth("USER", 2), 116, 2, kSnow);
    Text(login, "PASSWORD", 122 - TextWidth("PASSWORD", 2), 152, 2, kSnow);
    out.Picture("login.png", login);

    Canvas question = Scene(424, 64, 3);
    Text(question, "UPDATE", (424 - TextWidth("UPDATE", 2)) / 2, 40, 2, kSnow);
    out.Picture("update1.png", question);

    Canvas download = Scene(416, 56, 3);
    Text(download, "UPDATE", (416 - TextWidth("UPDATE", 2)) / 2, 36, 2, kSnow);
    out.Picture("update2.png", download);
}

} // namespace DialogArt
