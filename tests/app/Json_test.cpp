// The command line's JSON output must stay valid whatever the file holds.
#include "app/Json.h"

#include <gtest/gtest.h>

TEST(JsonWriter, NestsContainersWithCommasAndEscapesText) {
    JsonWriter w;
    w.beginObject().key("kind").value("picture").key("frame").beginArray().value(0).value(-1).endArray();
    w.key("name").value("a\"b\\c\n\x01").key("ok").value(true).key("none").null().endObject();
    EXPECT_EQ(w.str(), R"({"kind":"picture","frame":[0,-1],"name":"a\"b\\c\n\u0001","ok":true,"none":null})");
}

