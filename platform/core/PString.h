// Length-prefixed strings: a length byte and up to 255 bytes.
#pragma once

#include "platform/core/MacTypes.h"

#include <string>
#include <string_view>

// Copies text into a length-prefixed string, cut at `capacity` bytes (at most
// 255) but never inside a UTF-8 character.
void CopyCStringToPascal(std::string_view text, StringPtr dst, size_t capacity = 255);
std::string PStringToStd(ConstStringPtr s);
void PStrCopy(ConstStringPtr src, StringPtr dst);
void PStrCat(StringPtr dst, ConstStringPtr add);  // stops at 255 bytes
bool EqualPString(ConstStringPtr a, ConstStringPtr b);
// The longest prefix of text that has at most maxBytes bytes and does not end
// inside a UTF-8 character.
std::string_view TruncateUtf8(std::string_view text, size_t maxBytes);
