#pragma once

#include <string>

// What keeps the text of a settings file from reading whole, and where:
// "line 12: <serverport> is not closed". Empty when the text is a run of
// well-formed elements (attribute values in double quotes; comments and
// declarations allowed) with nothing but blanks between them, and every
// number setting holds a number its setting can keep ("line 59:
// <serverport> must be 1 to 65535").
std::string FindOptionsFault(const std::string& text);
