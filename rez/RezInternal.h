// The compiler's shared pieces: tokens, statements and error reporting.
#pragma once

#include "platform/core/ByteIO.h"
#include "platform/core/MacTypes.h"
#include "rez/RezCompiler.h"

#include <string>
#include <vector>

namespace rez {

struct Where {
    std::string path;
    int line = 0;
};

// Thrown inside the compiler only; CompileResourceSources turns it into a RezError.
struct CompileFailure {
    RezError error;
};
[[noreturn]] void Fail(const Where& where, const std::string& message);

enum class TokKind { Word, Number, String, Char, Row };
struct Token {
    TokKind kind = TokKind::Word;
    std::string text;  // strings unescaped; rows and quoted codes without their delimiters
    long long number = 0;
};

// One source line.
struct Stmt {
    Where where;
    std::vector<Token> tokens;

    std::string Keyword() const;
    const Token& At(size_t i) const;
    void ExpectCount(size_t n) const;  // exactly n tokens, the keyword included
    long long Int(size_t i, long long lo, long long hi) const;
    std::string String(size_t i) const;
    Rect RectAt(size_t i) const;  // top left bottom right
    bool IsRow() const;           // a single |...| pixel row
};

void WritePString(ByteWriter& w, const std::string& text, const Where& where);
bool ParseColor(const std::string& text, UInt32* rgb);  // #RRGGBB

// 'PICT' from pixel art (RezPicture.cpp).
std::vector<UInt8> CompilePixelArt(const std::vector<Stmt>& body, const Where& header);

}  // namespace rez
