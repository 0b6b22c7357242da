// The one checked byte reader every parser uses, and its writer twin.
// Reads past the end never touch memory: they return 0 and set a sticky
// failure flag, so a parser reads fields one by one and checks `ok()` at the
// points where a wrong value would matter.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>
#include <vector>

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const UInt8> bytes) : data_(bytes) {}

    bool ok() const { return !failed_; }
    bool failed() const { return failed_; }
    void fail() { failed_ = true; }
    size_t pos() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return failed_ ? 0 : data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    std::span<const UInt8> data() const { return data_; }

    // Moves to an absolute offset; an offset past the end fails.
    bool seek(size_t offset) {
        if (failed_ || offset > data_.size()) return failed_ = true, false;
        pos_ = offset;
        return true;
    }
    bool skip(size_t n) {
        if (failed_ || n > data_.size() - pos_) return failed_ = true, false;
        pos_ += n;
        return true;
    }
    // True when n more bytes can be read; does not fail the reader.
    bool has(size_t n) const { return !failed_ && n <= data_.size() - pos_; }

    UInt8 u8() {
        if (!has(1)) return failed_ = true, 0;
        return data_[pos_++];
    }
    SInt8 s8() { return SInt8(u8()); }
    UInt16 u16be() {
        if (!has(2)) return failed_ = true, 0;
        UInt16 v = UInt16(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return v;
    }
    SInt16 s16be() { return SInt16(u16be()); }
    UInt32 u32be() {
        if (!has(4)) return failed_ = true, 0;
        UInt32 v = UInt32(data_[pos_]) << 24 | UInt32(data_[pos_ + 1]) << 16 |
                   UInt32(data_[pos_ + 2]) << 8 | UInt32(data_[pos_ + 3]);
        pos_ += 4;
        return v;
    }
    SInt32 s32be() { return SInt32(u32be()); }
    UInt16 u16le() {
        if (!has(2)) return failed_ = true, 0;
        UInt16 v = UInt16(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    SInt16 s16le() { return SInt16(u16le()); }
    UInt32 u32le() {
        if (!has(4)) return failed_ = true, 0;
        UInt32 v = UInt32(data_[pos_]) | UInt32(data_[pos_ + 1]) << 8 |
                   UInt32(data_[pos_ + 2]) << 16 | UInt32(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    SInt32 s32le() { return SInt32(u32le()); }
    Point point() {
        Point p;
        p.v = s16be();
        p.h = s16be();
        return p;
    }
    Rect rect() {
        Rect r;
        r.top = s16be();
        r.left = s16be();
        r.bottom = s16be();
        r.right = s16be();
        return r;
    }
    RGBColor rgb() {
        RGBColor c;
        c.red = u16be();
        c.green = u16be();
        c.blue = u16be();
        return c;
    }
    // n bytes as a span into the input, or an empty span on failure.
    std::span<const UInt8> bytes(size_t n) {
        if (!has(n)) return failed_ = true, std::span<const UInt8>{};
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

private:
    std::span<const UInt8> data_;
    size_t pos_ = 0;
    bool failed_ = false;
};

class ByteWriter {
public:
    std::vector<UInt8>& buffer() { return buf_; }
    const std::vector<UInt8>& buffer() const { return buf_; }
    size_t size() const { return buf_.size(); }

    void u8(UInt8 v) { buf_.push_back(v); }
    void u16be(UInt16 v) {
        buf_.push_back(UInt8(v >> 8));
        buf_.push_back(UInt8(v));
    }
    void s16be(SInt16 v) { u16be(UInt16(v)); }
    void u32be(UInt32 v) {
        u16be(UInt16(v >> 16));
        u16be(UInt16(v));
    }
    void s32be(SInt32 v) { u32be(UInt32(v)); }
    void u16le(UInt16 v) {
        buf_.push_back(UInt8(v));
        buf_.push_back(UInt8(v >> 8));
    }
    void u32le(UInt32 v) {
        u16le(UInt16(v));
        u16le(UInt16(v >> 16));
    }
    void point(Point p) {
        s16be(p.v);
        s16be(p.h);
    }
    void rect(const Rect& r) {
        s16be(r.top);
        s16be(r.left);
        s16be(r.bottom);
        s16be(r.right);
    }
    void rgb(const RGBColor& c) {
        u16be(c.red);
        u16be(c.green);
        u16be(c.blue);
    }
    void bytes(std::span<const UInt8> b) { buf_.insert(buf_.end(), b.begin(), b.end()); }
    void zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
    // Overwrites a big-endian 16/32-bit value at an earlier offset.
    void patchU16be(size_t at, UInt16 v) {
        buf_[at] = UInt8(v >> 8);
        buf_[at + 1] = UInt8(v);
    }
    void patchU32be(size_t at, UInt32 v) {
        patchU16be(at, UInt16(v >> 16));
        patchU16be(at + 2, UInt16(v));
    }

private:
    std::vector<UInt8> buf_;
};
