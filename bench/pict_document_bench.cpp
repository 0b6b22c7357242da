// Saving and reopening a 1024 × 1024 two-layer paint document as a PICT
// file, against copying the same buffers with memcpy in the same run.
//
// The baseline is the least any save and reopen must do: move the pixels of
// the two layers and the mask once each way. The save records the document
// picture (background copy, foreground copy clipped to the mask's region,
// PackBits rows) and writes it beside the file and renames it over; the
// reopen reads the file, finds the layers and plays both copies into fresh
// buffers. Read `ratio` as how many memcpy round trips one costs.
#include "bench/BenchPaintWindow.h"
#include "io/DocumentPicture.h"
#include "io/PictFile.h"
#include "platform/core/Memory.h"
#include "platform/files/FileIO.h"
#include "platform/picture/Pictures.h"

#include <chrono>
#include <cstring>

namespace {

constexpr SInt16 kEdge = 1024;

WindowRef Document() {
    static WindowRef window = [] {
        WindowRef w = bench::PaintWindow("pict_document_bench", kEdge, 0, 24);
        PaintWinRec* rec = GetPaintWinRec(w);
        if (NewGWorld(rec->backPort.out(), rec->depth, &rec->picRect, nullptr, nullptr, 0) != noErr) std::abort();
        // Smooth areas with some noise in both layers; a round hole in the mask.
        UInt32 seed = 1;
        for (const UniqueGWorld* g : {&rec->offPort, &rec->backPort}) {
            const PixMap& pm = **GetGWorldPixMap(g->get());
            for (int v = 0; v < kEdge; ++v) {
                UInt8* row = PixRow(pm, v);
                for (int h = 0; h < kEdge; ++h) {
                    seed = seed * 1664525u + 1013904223u;
                    row[h * 4 + 1] = UInt8(h / 8 + (seed >> 30));
                    row[h * 4 + 2] = UInt8(v / 8);
                    row[h * 4 + 3] = UInt8((h + v) / 16 + (g == &rec->backPort ? 64 : 0));
                }
            }
        }
        const PixMap& mask = **GetGWorldPixMap(rec->maskPort.get());
        for (int v = 0; v < kEdge; ++v)
            for (int h = 0; h < kEdge; ++h) {
                const int dx = h - kEdge / 2, dy = v - kEdge / 2;
                if (dx * dx + dy * dy > 300 * 300) PixRow(mask, v)[h >> 3] |= UInt8(0x80 >> (h & 7));
            }
        rec->foreTrans = 2;
        return w;
    }();
    return window;
}

std::string FilePath() { return (std::filesystem::temp_directory_path() / "korvel-pict-document-bench.pict").string(); }

Size BufferBytes(const PaintWinRec* rec) {
    Size total = 0;
    for (const UniqueGWorld* g : {&rec->offPort, &rec->backPort, &rec->maskPort}) {
        const PixMap& pm = **GetGWorldPixMap(g->get());
        total += Size(pm.rowBytes & 0x3FFF) * kEdge;
    }
    return total;
}

// The baseline: the buffers copied out and back in.
void CopyLayersOnce(const PaintWinRec* rec, std::vector<UInt8>* file, std::vector<UInt8>* back) {
    size_t at = 0;
    for (const UniqueGWorld* g : {&rec->offPort, &rec->backPort, &rec->maskPort}) {
        const PixMap& pm = **GetGWorldPixMap(g->get());
        const size_t n = size_t(pm.rowBytes & 0x3FFF) * kEdge;
        std::memcpy(file->data() + at, pm.baseAddr, n);
        at += n;
    }
    std::memcpy(back->data(), file->data(), file->size());
    benchmark::ClobberMemory();
}

void BM_MemcpyLayers(benchmark::State& state) {
    const PaintWinRec* rec = GetPaintWinRec(Document());
    std::vector<UInt8> file(size_t(BufferBytes(rec))), back(file.size());
    for (auto _ : state) CopyLayersOnce(rec, &file, &back);
    state.SetBytesProcessed(state.iterations() * SInt64(file.size()));
}
BENCHMARK(BM_MemcpyLayers)->Unit(benchmark::kMillisecond);

void BM_SaveAndReopenPict(benchmark::State& state) {
    WindowRef w = Document();
    const PaintWinRec* rec = GetPaintWinRec(w);
    const std::string path = FilePath();
    const auto loopStart = std::chrono::steady_clock::now();
    for (auto _ : state) {
        UniqueHandle pic(GetSelectionPic(w, true));
        if (!pic || WriteFileAtomically(path, PictFileBytes(pic.get())) != noErr) state.SkipWithError("save failed");
        std::vector<UInt8> bytes;
        PicHandle raw = nullptr;
        if (ReadWholeFile(path, &bytes) != noErr || PictureFromFileBytes(bytes, &raw) != noErr)
            state.SkipWithError("read failed");
        UniqueHandle reread(raw);
        PaintWinRec fresh;
        fresh.depth = fresh.colorMode = rec->depth;
        if (PictDocumentRect(reread.get(), &fresh.picRect) != noErr || MakePaintBuffers(&fresh) != noErr ||
            LoadPictIntoDocument(reread.get(), &fresh) != noErr || !fresh.backPort || fresh.foreTrans != 2)
            state.SkipWithError("reopen failed");
        state.counters["fileBytes"] = double(bytes.size());
    }
    const double one = std::chrono::duration<double>(std::chrono::steady_clock::now() - loopStart).count() /
                       double(state.iterations());
    // The baseline timed here too, by the same clock, so that `ratio`
    // compares like with like.
    std::vector<UInt8> file(size_t(BufferBytes(rec))), back(file.size());
    const auto start = std::chrono::steady_clock::now();
    constexpr int kCopies = 20;
    for (int i = 0; i < kCopies; ++i) CopyLayersOnce(rec, &file, &back);
    const double copy = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kCopies;
    state.counters["ratio"] = one / copy;
    state.SetBytesProcessed(state.iterations() * SInt64(BufferBytes(rec)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveAndReopenPict)->Unit(benchmark::kMillisecond);

}  // namespace
