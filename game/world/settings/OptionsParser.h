#pragma once

#include "engine/xml/XMLInterface.h"

#include <cstdint>

class IGameOptions;

// Fills options from the events of the "game.opt" reader. Unknown elements
// are ignored; values that do not read keep the rules of each setting.
class OptionsParser : public nsParser::XMLInterface {
public:
    explicit OptionsParser(IGameOptions* options) : options_(options) {}

    void StartElement(const char16_t* name) override;
    void EndElement(const char16_t* name) override;
    void TagClosed() override {}
    void Attribute(const char16_t* name, TextToken* value) override;
    void Text(const char16_t* text) override;

private:
    void ApplyFloat(int code, const char16_t* text);

    IGameOptions* options_;
    int element_ = 0;
    int32_t mapCycleMode_ = 0;
    int32_t operatorAccount_ = 0;
    bool inMapCycle_ = false;
    bool inBans_ = false;
    bool inOperators_ = false;
};
