// A small JSON writer for the command line's machine-readable output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view k);
    JsonWriter& value(std::string_view s);
    JsonWriter& value(const char* s) { return value(std::string_view(s)); }
    JsonWriter& value(std::int64_t n);
    JsonWriter& value(int n) { return value(std::int64_t(n)); }
    JsonWriter& value(unsigned n) { return value(std::int64_t(n)); }
    JsonWriter& value(bool b);
    JsonWriter& null();
    const std::string& str() const { return out_; }

private:
    void separate();
    std::string out_;
    std::vector<bool> first_;  // per open container: nothing written yet
    bool afterKey_ = false;
};

// A four-character code as text, with bytes outside printable ASCII escaped
// as \xNN so that the output stays valid UTF-8.
std::string FourCCText(std::uint32_t code);
