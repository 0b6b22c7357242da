// The compiler's shared pieces: tokens, statements, error reporting and the
// compilers of each resource type (RezData.cpp, RezTemplates.cpp,
// RezPicture.cpp), which RezCompiler.cpp calls by type.
#pragma once

#include "platform/core/ByteIO.h"
#include "platform/core/MacTypes.h"
#include "rez/RezCompiler.h"

#include <initializer_list>
#include <string>
#include <string_view>
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

// A resource's statements, between its header and 'end'.
using Body = std::vector<Stmt>;

void WritePString(ByteWriter& w, const std::string& text, const Where& where);
bool ParseColor(const std::string& text, UInt32* rgb);  // #RRGGBB
int HexDigit(char c);                                   // -1 for a character that is not one
// Fails unless the statement's keyword is one of `allowed`.
void CheckKeyword(const Stmt& s, std::initializer_list<std::string_view> allowed);
// Fails when a statement keyword is given twice.
void CheckOnce(const Body& body);

// RezData.cpp.
std::vector<UInt8> CompileStringList(const Body& body);
std::vector<UInt8> CompileString(const Body& body, const Where& header);
std::vector<UInt8> CompileVersion(const Body& body, const Where& header);
std::vector<UInt8> CompilePattern(const Body& body, const Where& header);
std::vector<UInt8> CompilePatternList(const Body& body, const Where& header);
std::vector<UInt8> CompileCursor(const Body& body, const Where& header);
std::vector<UInt8> CompileColorTable(const Body& body, const Where& header);
std::vector<UInt8> CompileRaw(const Body& body, const Where& header);

// RezTemplates.cpp. One compiler serves the three window templates.
enum class TemplateKind { Window, Dialog, Alert };  // 'WIND', 'DLOG', 'ALRT'
std::vector<UInt8> CompileTemplate(const Body& body, const Where& header, TemplateKind kind);
std::vector<UInt8> CompileItemList(const Body& body, const Where& header);
std::vector<UInt8> CompileControl(const Body& body, const Where& header);
std::vector<UInt8> CompileMenu(const Body& body, const Where& header, ResID id);
std::vector<UInt8> CompileMenuBar(const Body& body, const Where& header);

// 'PICT' from pixel art (RezPicture.cpp).
std::vector<UInt8> CompilePixelArt(const Body& body, const Where& header);

}  // namespace rez
