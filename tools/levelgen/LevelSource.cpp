#include "LevelSource.h"

#include <charconv>
#include <sstream>

namespace {

// Words of a line; "quoted text" is one word.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            words.push_back(line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1));
            i = end == std::string::npos ? line.size() : end + 1;
        } else {
            size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
                ++end;
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

bool Number(const std::string& s, float* out)
{
    const char* end = s.data() + s.size();
    auto r = std::from_chars(s.data(), end, *out);
    return r.ec == std::errc() && r.ptr == end;
}

bool Numbers(const std::vector<std::string>& w, size_t from, std::vector<float>* out)
{
    out->clear();
    for (size_t i = from; i < w.size(); ++i) {
        float v;
        if (!Number(w[i], &v))
            return false;
        out->push_back(v);
    }
    return true;
}

} // namespace

int LevelSource::Width() const
{
    size_t w = 0;
    for (const auto& r : rows)
        w = std::max(w, r.size());
    return int(w);
}

bool LevelSource::Parse(const std::string& text, std::string* error)
{
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool inMap = false;
    auto fail = [&](const std::string& why) {
        *error = file + ":" + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (inMap) {
            if (line == "end")
                inMap = false;
            else
                rows.push_back(line);
            continue;
        }
        const auto w = Words(line);
        if (w.empty() || w[0][0] == '#')
            continue;
        std::vector<float> n;
        if (w[0] == "name" && w.size() == 2) {
            name = w[1];
        } else if (w[0] == "mode" && w.size() == 2 && Numbers(w, 1, &n)) {
            mode = int(n[0]);
        } else if (w[0] == "compress" && w.size() == 2 && Numbers(w, 1, &n)) {
            compress = n[0] != 0.0f;
        } else if ((w[0] == "tile") && w.size() == 3 && w[1].size() == 1) {
            legend[w[1][0]] = Glyph{w[2], "", 0.0f};
        } else if (w[0] == "place" && (w.size() == 4 || w.size() == 5) && w[1].size() == 1) {
            // place <char> "<object>" "<block under it>" [angle]
            Glyph g{w[3], w[2], 0.0f};
            if (w.size() == 5 && !Number(w[4], &g.angle))
                return fail("bad angle");
            legend[w[1][0]] = g;
        } else if (w[0] == "map" && w.size() == 1) {
            inMap = true;
        } else if (w[0] == "object" && w.size() == 5 && Numbers(w, 2, &n)) {
            objects.push_back(Placed{w[1], n[0], n[1], n[2]});
        } else if (w[0] == "light" && w.size() == 10 && Numbers(w, 1, &n)) {
            lights.push_back(Light{int(n[0]), n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8]});
        } else if (w[0] == "lightbox" && w.size() == 9 && Numbers(w, 1, &n)) {
            boxes.push_back(Box{n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7]});
        } else {
            return fail("cannot read \"" + line + "\"");
        }
    }
    if (inMap)
        return fail("map without end");
    if (rows.empty())
        return fail("no map");
    for (size_t y = 0; y < rows.size(); ++y)
        for (char c : rows[y])
            if (!legend.count(c)) {
                number = 0;
                return fail(std::string("map row ") + std::to_string(y) + ": no legend for '" + c + "'");
            }
    return true;
}
