// Reading and writing a full 14-member icon family file in the program,
// against icnsutils doing the same work as whole processes in the same run:
// `icns2png -x` reads a family and unpacks its members, `png2icns` packs
// pictures into a family file. Each benchmark reports the peer's time per
// run divided by Korvel's as "peer_over_korvel"; below 1 Korvel is slower,
// which is reported as an error.
#include "app/AppResources.h"
#include "app/Shell.h"
#include "image/IconFamilyFiles.h"
#include "image/KorvelIcon.h"
#include "platform/codecs/PngCodec.h"
#include "platform/files/FSSpec.h"
#include "platform/files/FileIO.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPeerRuns = 20;

// A folder of its own on a memory file system when there is one, so that
// both sides pay the same for the disk.
const std::string& Folder() {
    static const std::string folder = [] {
        const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        const fs::path f = base / ("korvel-family-bench-" + std::to_string(getpid()));
        fs::create_directories(f);
        std::atexit([] { fs::remove_all(Folder()); });
        return f.string();
    }();
    return folder;
}

// An icon-like picture: a framed square with gradients, a band of noise and
// a soft shadow in the alpha.
UInt8 Channel(int edge, int x, int y, int c, UInt32& seed) {
    seed = seed * 1103515245u + 12345u;
    const bool inside = x > edge / 8 && x < edge * 7 / 8 && y > edge / 8 && y < edge * 7 / 8;
    if (c == 3) return inside ? 255 : UInt8(std::max(0, 96 - 8 * std::abs(x - edge / 2) / std::max(1, edge / 16)));
    if (y > edge * 7 / 16 && y < edge * 9 / 16) return UInt8(seed >> 16);
    return inside ? UInt8((x * (c + 1) * 255) / edge) : 0xFF;
}

// The whole family: every member kind from the same drawing.
KorvelIcon& Icon() {
    static KorvelIcon icon = [] {
        // A system with every kind of icon.
        gSystemVersion = 0x1040;
        isIconServicesAvailable = isThumbnailIconsAvailable = true;
        if (OpenApplicationResources() != noErr) std::abort();
        KorvelIcon made{};
        UInt32 seed = 7;
        for (SInt16 kind = 0; kind < kIconKindCount; ++kind) {
            if (kind == kKindICNMask || kind == kKindIcsMask) continue;
            const int edge = gIconSize[kind], depth = gIconDepth[kind];
            std::vector<UInt8> data(size_t(IconKindDataSize(kind)));
            for (int y = 0; y < edge; ++y)
                for (int x = 0; x < edge; ++x) {
                    const size_t i = size_t(y) * edge + x;
                    if (depth == 32) {
                        for (int c = 0; c < 3; ++c) data[i * 4 + 1 + c] = Channel(edge, x, y, c, seed);
                    } else if (depth == 8) {
                        data[i] = kind == kKindIcl8 || kind == kKindIcs8 ? UInt8(i % 256) : Channel(edge, x, y, 3, seed);
                    } else if (depth == 4) {
                        data[i / 2] |= UInt8((i % 16) << (i % 2 ? 0 : 4));
                    } else if (Channel(edge, x, y, 3, seed) > 0) {
                        data[i / 8] |= UInt8(0x80 >> (i % 8));               // image
                        data[data.size() / 2 + i / 8] |= UInt8(0x80 >> (i % 8));  // mask
                    }
                }
            if (SetDataToKorvelIcon(NewHandleFromBytes(data), &made, kind) != noErr) std::abort();
        }
        return made;
    }();
    return icon;
}

FSSpec FileSpecNamed(const std::string& name) {
    FSSpec fileSpec;
    if (FSSpecFromPath(Folder() + "/" + name, &fileSpec) != noErr) std::abort();
    return fileSpec;
}

// The pictures png2icns packs: the 16, 32 and 128-pixel 32-bit members with
// their masks.
void WritePeerPictures() {
    for (int edge : {16, 32, 128}) {
        RgbaImage image{edge, edge, {}};
        UInt32 seed = 7;
        for (int y = 0; y < edge; ++y)
            for (int x = 0; x < edge; ++x)
                for (int c = 0; c < 4; ++c) image.pixels.push_back(Channel(edge, x, y, c, seed));
        std::vector<UInt8> png;
        if (EncodePngRgba(image, &png) != noErr) std::abort();
        if (WriteFileAtomically(Folder() + "/p" + std::to_string(edge) + ".png", png) != noErr) std::abort();
    }
}

// The peer's mean time per run, measured once.
double PeerSeconds(const std::string& command) {
    const auto start = Clock::now();
    for (int i = 0; i < kPeerRuns; ++i)
        if (std::system(command.c_str()) != 0) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count() / kPeerRuns;
}

void Report(benchmark::State& state, double korvelSeconds, double peerSeconds) {
    if (peerSeconds < 0) {
        state.SkipWithError("the peer program failed (scripts/setup-debian.sh installs icnsutils)");
        return;
    }
    const double ratio = peerSeconds / (korvelSeconds / double(state.iterations()));
    state.counters["peer_over_korvel"] = ratio;
    if (ratio < 1) state.SkipWithError("Korvel is slower than the peer program");
}

void BM_ReadFamily(benchmark::State& state) {
    const FSSpec file = FileSpecNamed("read.icns");
    if (MakeXIconWithKorvelIcon(&file, Icon()) != noErr) std::abort();
    static const double peer =
        PeerSeconds("cd '" + Folder() + "' && icns2png -x read.icns >/dev/null 2>&1");
    const auto start = Clock::now();
    for (auto _ : state) {
        KorvelIcon icon{};
        if (XIconToKorvelIcon(&file, &icon) != noErr) state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(icon.it32Data);
        (void)DisposeKorvelIcon(&icon);
    }
    Report(state, std::chrono::duration<double>(Clock::now() - start).count(), peer);
}
BENCHMARK(BM_ReadFamily)->Unit(benchmark::kMillisecond);

void BM_WriteFamily(benchmark::State& state) {
    const FSSpec file = FileSpecNamed("write.icns");
    WritePeerPictures();
    static const double peer =
        PeerSeconds("cd '" + Folder() + "' && png2icns peer.icns p128.png p32.png p16.png >/dev/null 2>&1");
    const auto start = Clock::now();
    for (auto _ : state)
        if (MakeXIconWithKorvelIcon(&file, Icon()) != noErr) state.SkipWithError("writing failed");
    Report(state, std::chrono::duration<double>(Clock::now() - start).count(), peer);
}
BENCHMARK(BM_WriteFamily)->Unit(benchmark::kMillisecond);

}  // namespace
