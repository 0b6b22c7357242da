// Reading and writing a resource file of 1,000 resources (an icon file of
// about a hundred icons). memcpy of the fork's bytes is the baseline: read
// the results as ratios to it.
#include "platform/resources/ResourceFork.h"
#include "platform/resources/Resources.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kResources = 1000;

// Ten icon types, 100 IDs each, member-sized data, every third one named.
const ResourceForkImage& Image() {
    static const ResourceForkImage image = [] {
        static const char* const kTypes[] = {"ICN#", "icl4", "icl8", "ics#", "ics4",
                                             "ics8", "il32", "l8mk", "is32", "s8mk"};
        static const size_t kSizes[] = {256, 512, 1024, 64, 128, 256, 4096, 1024, 1024, 256};
        ResourceForkImage img;
        for (int i = 0; i < kResources; ++i) {
            ForkResource r;
            const int t = i / 100;
            const char* n = kTypes[t];
            r.type = OSType(UInt8(n[0])) << 24 | OSType(UInt8(n[1])) << 16 | OSType(UInt8(n[2])) << 8 | UInt8(n[3]);
            r.id = ResID(128 + i % 100);
            r.attributes = resPurgeable;
            r.data.assign(kSizes[t], UInt8(i));
            if (i % 3 == 0) {
                r.hasName = true;
                r.name = "icon " + std::to_string(i % 100);
            }
            img.resources.push_back(std::move(r));
        }
        return img;
    }();
    return image;
}

const std::vector<UInt8>& ForkBytes() {
    static const std::vector<UInt8> bytes = [] {
        std::vector<UInt8> b;
        if (SerializeResourceFork(Image(), &b) != noErr) std::abort();
        return b;
    }();
    return bytes;
}

void BM_MemcpyBaseline(benchmark::State& state) {
    const auto& src = ForkBytes();
    std::vector<UInt8> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(src.size()));
}
BENCHMARK(BM_MemcpyBaseline);

void BM_ParseFork(benchmark::State& state) {
    const auto& bytes = ForkBytes();
    for (auto _ : state) {
        ResourceForkImage image;
        if (ParseResourceFork(bytes, &image) != noErr) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(image.resources.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(bytes.size()));
    state.SetItemsProcessed(state.iterations() * kResources);
}
BENCHMARK(BM_ParseFork);

void BM_SerializeFork(benchmark::State& state) {
    const auto& image = Image();
    for (auto _ : state) {
        std::vector<UInt8> out;
        if (SerializeResourceFork(image, &out) != noErr) state.SkipWithError("write failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(ForkBytes().size()));
    state.SetItemsProcessed(state.iterations() * kResources);
}
BENCHMARK(BM_SerializeFork);

// Open, get every resource by type and ID, close: what opening an icon
// file and drawing all its icons costs in the Resource Manager.
void BM_OpenGetEveryResourceClose(benchmark::State& state) {
    const auto& bytes = ForkBytes();
    const auto& image = Image();
    for (auto _ : state) {
        const SInt16 ref = OpenResFileFromBytes(bytes, fsRdPerm);
        for (const ForkResource& r : image.resources) benchmark::DoNotOptimize(Get1Resource(r.type, r.id));
        CloseResFile(ref);
    }
    state.SetBytesProcessed(state.iterations() * int64_t(bytes.size()));
    state.SetItemsProcessed(state.iterations() * kResources);
}
BENCHMARK(BM_OpenGetEveryResourceClose);

// Change every resource and write the file back.
void BM_ChangeEveryResourceAndWrite(benchmark::State& state) {
    const auto& bytes = ForkBytes();
    const auto& image = Image();
    for (auto _ : state) {
        const SInt16 ref = OpenResFileFromBytes(bytes, fsRdWrPerm);
        for (const ForkResource& r : image.resources) ChangedResource(Get1Resource(r.type, r.id));
        UpdateResFile(ref);
        CloseResFile(ref);
    }
    state.SetBytesProcessed(state.iterations() * int64_t(bytes.size()));
    state.SetItemsProcessed(state.iterations() * kResources);
}
BENCHMARK(BM_ChangeEveryResourceAndWrite);

}  // namespace
