#pragma once

#include "engine/xml/XMLInterface.h"

// Event reader for the system's XML-like texts: no tree, no well-formedness
// check, no entity decoding. Element text is cut to 2047 characters, element
// and attribute names to 255.
void ReadXml(const char16_t* text, int length, nsParser::XMLInterface* handler);
