// XML reading of a settings-like document, against expat on the same bytes
// when it is available. Filling an id in front of every block of a large
// script, against tokenizing that script.
#include "engine/core/StringKit.h"
#include "engine/xml/ReadXml.h"
#include "engine/xml/TextToken.h"
#include "engine/xml/TextTokenizer.h"

#include <benchmark/benchmark.h>

#ifdef VORNHAL_HAVE_EXPAT
#include <expat.h>
#endif

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// About 1 MiB: one element a line, some with attributes, all with text.
const std::string& Document()
{
    static std::string doc;
    if (!doc.empty())
        return doc;
    doc = "<?xml version=\"1.0\"?>\r\n<settings>\r\n";
    char line[256];
    for (int i = 0; doc.size() < (1u << 20) - 64; ++i) {
        switch (i % 4) {
        case 0:
            std::snprintf(line, sizeof line, "\t<playerName%d>Player number %d</playerName%d>\r\n", i, i, i);
            break;
        case 1:
            std::snprintf(line, sizeof line, "\t<level mode=\"%d\" time=\"%d\">dm_yard_%d</level>\r\n", i % 3, 600 + i,
                          i);
            break;
        case 2:
            std::snprintf(line, sizeof line, "\t<volume>%d.750000</volume>\r\n", i % 100);
            break;
        default:
            std::snprintf(line, sizeof line, "\t<key action=\"fire\" code=\"%d\">%d</key>\r\n", i, i * 7);
            break;
        }
        doc += line;
    }
    doc += "</settings>\r\n";
    return doc;
}

class Counter : public nsParser::XMLInterface {
public:
    long long elements = 0, attributes = 0, chars = 0;
    void StartElement(const char16_t* name) override { elements += name[0] != 0; }
    void EndElement(const char16_t*) override {}
    void TagClosed() override {}
    void Attribute(const char16_t*, TextToken* value) override
    {
        attributes += value ? value->GetEnd() - value->GetStart() : 0;
    }
    void Text(const char16_t* text) override { chars += text[0]; }
};

// The engine's way: bytes widened one by one, then the event reader.
long long ReadWithEngine(const std::string& doc)
{
    std::u16string wide = Util::Widen(doc.data(), doc.size());
    Counter c;
    ReadXml(wide.data(), int(wide.size()), &c);
    return c.elements + c.attributes + c.chars;
}

#ifdef VORNHAL_HAVE_EXPAT
struct ExpatCounter {
    long long elements = 0, attributes = 0, chars = 0;
};

void XMLCALL OnStart(void* data, const XML_Char*, const XML_Char** atts)
{
    auto* c = static_cast<ExpatCounter*>(data);
    ++c->elements;
    for (int i = 0; atts[i]; i += 2)
        c->attributes += (long long)std::char_traits<char>::length(atts[i + 1]);
}
void XMLCALL OnEnd(void*, const XML_Char*) {}
void XMLCALL OnText(void* data, const XML_Char* s, int len)
{
    static_cast<ExpatCounter*>(data)->chars += len ? s[0] : 0;
}

long long ReadWithExpat(const std::string& doc)
{
    XML_Parser p = XML_ParserCreate(nullptr);
    ExpatCounter c;
    XML_SetUserData(p, &c);
    XML_SetElementHandler(p, OnStart, OnEnd);
    XML_SetCharacterDataHandler(p, OnText);
    XML_Parse(p, doc.data(), int(doc.size()), 1);
    XML_ParserFree(p);
    return c.elements + c.attributes + c.chars;
}

double SecondsPerExpatRead(const std::string& doc)
{
    double best = 1e30;
    for (int i = 0; i < 5; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ReadWithExpat(doc));
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

void BM_Expat(benchmark::State& state)
{
    const std::string& doc = Document();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWithExpat(doc));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
}
BENCHMARK(BM_Expat)->Unit(benchmark::kMillisecond);
#endif

void BM_ReadXml(benchmark::State& state)
{
    const std::string& doc = Document();
    auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWithEngine(doc));
    double perRead =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / double(state.iterations());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.size()));
#ifdef VORNHAL_HAVE_EXPAT
    // Time of one engine read over one expat read of the same bytes.
    state.counters["x_expat"] = perRead / SecondsPerExpatRead(doc);
#else
    (void)perRead;
#endif
}
BENCHMARK(BM_ReadXml)->Unit(benchmark::kMillisecond);

// Blocks without ids, as an author leaves them for the editor to number.
std::string Script(int blocks)
{
    std::string text;
    char line[160];
    for (int i = 0; i < blocks; ++i) {
        std::snprintf(line, sizeof line,
                      "floor \"tile %d\" (\r\n  floorgfx(\"gfx/tiles.png\", \"t\", main, row(%d))\r\n)\r\n", i, i % 16);
        text += line;
    }
    return text;
}

void BM_TokenizeScript(benchmark::State& state)
{
    std::string text = Script(int(state.range(0)));
    for (auto _ : state) {
        TextTokenizer t(false);
        t.LoadNarrow(int(text.size()), text.data());
        benchmark::DoNotOptimize(t.GetRemaining());
    }
}
BENCHMARK(BM_TokenizeScript)->Arg(16000)->Unit(benchmark::kMillisecond);

// Tokenizing, then an id in front of every block name and tile file.
void BM_FillScriptIds(benchmark::State& state)
{
    std::string text = Script(int(state.range(0)));
    for (auto _ : state) {
        TextTokenizer t(false);
        t.LoadNarrow(int(text.size()), text.data());
        std::vector<TextTokenizer::PlaceholderText> edits;
        int id = 0;
        while (TextToken* k = t.NextToken())
            if (k->GetKind() == TextToken::String &&
                (k->ToNarrowString().compare(0, 4, "tile") == 0 || k->ToNarrowString() == "gfx/tiles.png"))
                edits.push_back({t.AddPlaceholder(k), Util::IntToString16(++id) + u", "});
        t.SetPlaceholderTexts(edits);
        benchmark::DoNotOptimize(t.GetLength());
    }
}
BENCHMARK(BM_FillScriptIds)->Arg(16000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
