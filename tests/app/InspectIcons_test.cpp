#include "app/Inspect.h"
#include "tests/platform/icons/IconTestBytes.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace icontest;

const Bytes kPackedSmall = {0xFF, 1, 0xFB, 1, 0xFF, 2, 0xFB, 2, 0xFF, 3, 0xFB, 3};

struct Result { InspectVerdict verdict; std::string out, reason; };
Result Inspect(const Bytes& bytes, bool json) {
    InspectRequest req;
    req.path = "x.icns";
    req.bytes = bytes;
    req.json = json;
    Result r;
    r.verdict = InspectIconFamilyFile(req, r.out, r.reason);
    return r;
}

TEST(InspectIcons, DescribesEveryElement) {
    const Bytes fam = MakeFamily({{"is32", kPackedSmall}, {"s8mk", Bytes(256, 0)}, {"il32", Bytes(4096, 7)},
                              {"TOC ", {}}, {"ic\x01s", {1}}});
    Result text = Inspect(fam, false);
    ASSERT_EQ(text.verdict, InspectVerdict::described) << text.reason;
    EXPECT_EQ(text.out,
              "icon family: 4413 bytes, 5 elements\n"
              "is32 20 compressed\n"
              "s8mk 264\n"
              "il32 4104 uncompressed\n"
              "TOC  8\n"
              "ic\\x01s 9\n");
    Result json = Inspect(fam, true);
    ASSERT_EQ(json.verdict, InspectVerdict::described);
    EXPECT_EQ(json.out,
              "{\"kind\":\"icon-family\",\"length\":4413,\"elements\":["
              "{\"type\":\"is32\",\"length\":20,\"compressed\":true},"
              "{\"type\":\"s8mk\",\"length\":264},"
              "{\"type\":\"il32\",\"length\":4104,\"compressed\":false},"
              "{\"type\":\"TOC \",\"length\":8},"
              "{\"type\":\"ic\\\\x01s\",\"length\":9}]}\n");
}

TEST(InspectIcons, SortsOutOtherFilesAndDamage) {
    const struct { const char* name; Bytes bytes; InspectVerdict verdict; const char* reasonPart; } cases[] = {
        {"not a family", {0x89, 'P', 'N', 'G'}, InspectVerdict::notMine, ""},
        {"too short to tell", {'i', 'c'}, InspectVerdict::notMine, ""},
        {"empty family", MakeFamily({}), InspectVerdict::described, ""},
        {"length below the header", {'i', 'c', 'n', 's', 0, 0, 0, 4}, InspectVerdict::broken, "smaller than its header"},
        {"length claims more than there is", MakeFamily({{"ics#", {1, 2}}}, 10), InspectVerdict::described, ""},
        {"element cut by the length", MakeFamily({{"ics#", {1, 2}}}, -1), InspectVerdict::broken, "offset 8"},
        {"run overruns", MakeFamily({{"is32", {0xFF, 1, 0xFF, 1}}}), InspectVerdict::broken, "'is32' at offset 8: a run"},
        {"thumbnail without its zero bytes", MakeFamily({{"it32", {1, 0, 0, 0, 0x80, 1}}}), InspectVerdict::broken,
         "four zero bytes"},
    };
    for (const auto& c : cases) {
        Result r = Inspect(c.bytes, false);
        EXPECT_EQ(r.verdict, c.verdict) << c.name;
        if (c.verdict == InspectVerdict::broken) {
            EXPECT_NE(r.reason.find(c.reasonPart), std::string::npos) << c.name << ": " << r.reason;
            EXPECT_EQ(r.reason.find('\n'), std::string::npos) << c.name;
        }
    }
}

TEST(InspectIcons, CommandLineExitStatus) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("korvel-inspect-icons-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, const Bytes& b) {
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
        return "'" + (dir / name).string() + "'";
    };
    const std::string good = write("good.icns", MakeFamily({{"is32", kPackedSmall}}));
    const std::string bad = write("bad.icns", MakeFamily({{"is32", {0xFF}}}));
    const std::string bin = KORVEL_BINARY;
    EXPECT_TRUE(RunCommand(bin + " inspect --json " + good + " >/dev/null 2>&1"));
    EXPECT_FALSE(RunCommand(bin + " inspect " + bad + " >/dev/null 2>&1"));
    std::filesystem::remove_all(dir);
}

}  // namespace
