#include "platform/icons/IcnsRle.h"

#include <algorithm>
#include <cstring>

void IcnsPackPlane(std::span<const UInt8> plane, std::vector<UInt8>& out) {
    const size_t n = plane.size();
    size_t i = 0;
    size_t litStart = 0;  // start of the literal bytes not yet written
    auto flushLiterals = [&](size_t end) {
        while (litStart < end) {
            size_t count = std::min(end - litStart, kIcnsMaxLiteral);
            out.push_back(UInt8(count - 1));
            out.insert(out.end(), plane.begin() + std::ptrdiff_t(litStart),
                       plane.begin() + std::ptrdiff_t(litStart + count));
            litStart += count;
        }
    };
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < kIcnsMaxRun && plane[i + run] == plane[i]) ++run;
        // A run of 3 costs two bytes whether packed as a run or among
        // literals (plus the header it may split off), so runs start at 3.
        if (run >= kIcnsMinRun) {
            flushLiterals(i);
            out.push_back(UInt8(0x80 + run - kIcnsMinRun));
            out.push_back(plane[i]);
            i += run;
            litStart = i;
        } else {
            i += run;
        }
    }
    flushLiterals(n);
}

std::vector<UInt8> IcnsRleCompress(std::span<const UInt8> pixels) {
    const size_t count = pixels.size() / 4;
    std::vector<UInt8> out;
    out.reserve(count * 3 + (count / kIcnsMaxLiteral + 1) * 3);
    std::vector<UInt8> plane(count);
    for (int channel = 1; channel <= 3; ++channel) {
        for (size_t p = 0; p < count; ++p) plane[p] = pixels[p * 4 + size_t(channel)];
        IcnsPackPlane(plane, out);
    }
    return out;
}

OSErr IcnsRleDecompress(std::span<const UInt8> packed, std::span<UInt8> pixels, size_t* consumed,
                        const char** reason) {
    auto failWith = [&](const char* why) {
        if (reason) *reason = why;
        return OSErr(paramErr);
    };
    std::fill(pixels.begin(), pixels.end(), UInt8(0));
    if (consumed) *consumed = 0;
    if (pixels.size() % 4 != 0) return failWith("the pixel buffer is not a whole number of pixels");
    const size_t count = pixels.size() / 4;
    size_t pos = 0;
    for (int channel = 1; channel <= 3; ++channel) {
        size_t filled = 0;
        while (filled < count) {
            if (pos >= packed.size()) return failWith("the packed data ends before the member is complete");
            const UInt8 control = packed[pos++];
            if (control < 0x80) {
                const size_t n = size_t(control) + 1;
                if (n > count - filled) return failWith("a literal overruns the end of its plane");
                if (n > packed.size() - pos) return failWith("the packed data ends inside a literal");
                for (size_t k = 0; k < n; ++k) pixels[(filled + k) * 4 + size_t(channel)] = packed[pos + k];
                pos += n;
                filled += n;
            } else {
                const size_t n = size_t(control) - 0x80 + kIcnsMinRun;
                if (n > count - filled) return failWith("a run overruns the end of its plane");
                if (pos >= packed.size()) return failWith("the packed data ends inside a run");
                const UInt8 v = packed[pos++];
                for (size_t k = 0; k < n; ++k) pixels[(filled + k) * 4 + size_t(channel)] = v;
                filled += n;
            }
        }
    }
    if (consumed) *consumed = pos;
    return noErr;
}
