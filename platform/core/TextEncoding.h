// Text that comes from files written by classic tools: names and strings are
// UTF-8 when they validate as such, otherwise Mac OS Roman.
#pragma once

#include <string>
#include <string_view>

bool IsValidUtf8(std::string_view text);
// The text as UTF-8: unchanged when it already is, else read as Mac OS Roman.
std::string LegacyTextToUtf8(std::string_view text);
