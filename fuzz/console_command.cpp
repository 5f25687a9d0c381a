// Arbitrary console lines: the word tokenizer at every length, then the
// interpreter on a game state with a few players and a handler that only
// counts what it is asked, both without and with a writer.
#include "game/shell/console/ConsoleCommand.h"
#include "game/shell/console/ConsoleWords.h"
#include "game/shell/console/IMessageWriter.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/world/system/GameSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class QuietHandler final : public MultiplayerHandler {
public:
    void RemoveObject(MPAPI::Object*) override {}
    void AddObject(MPAPI::Object*) override {}
    void AddLevelObject(MPAPI::Object*) override {}
    void KickPlayer(int32_t) override { ++calls; }
    bool StartLevel() override { return ++calls % 2 == 0; }
    int calls = 0;
};

class NullWriter final : public IMessageWriter {
public:
    void Print(const char*, ...) override {}
    void PrintDirect(const char16_t*, ...) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static GameSystem* game = [] {
        auto* g = new GameSystem(nullptr, nullptr, nullptr, nullptr, nullptr);
        auto* handler = new QuietHandler();
        handler->AddPlayer(3, u"Bob", nullptr);
        handler->UpdatePlayer(3, -1000.0f, -1000.0f, 10, 0, nullptr);
        g->SetActiveHandler(handler);
        return g;
    }();
    // Every two bytes one UTF-16 unit; the line ends where the input does.
    std::u16string line;
    for (size_t i = 0; i + 1 < size; i += 2)
        line.push_back(char16_t(data[i] | (data[i + 1] << 8)));
    char16_t word[1100];
    for (int max : {-1, 0, 1, 2, 65, 1000, 1100})
        for (int n = 0; n < 4; ++n) {
            GetConsoleWord(max, line.c_str(), n, word, n % 2 == 1);
            if (max > 0 && std::char_traits<char16_t>::length(word) >= size_t(max))
                __builtin_trap();
        }
    NullWriter writer;
    ExecuteConsoleCommand(line.c_str(), nullptr, game);
    ExecuteConsoleCommand(line.c_str(), &writer, game);
    return 0;
}
