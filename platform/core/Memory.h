// Relocatable memory blocks (handles). A handle points at a master pointer
// that points at the block's bytes, so `*h` gives the bytes as in the
// toolbox. Blocks move when resized unless locked; a locked block refuses to
// grow beyond its capacity. Program code never uses raw new/delete for them:
// it calls these procedures or holds a `UniqueHandle`.
#pragma once

#include "platform/core/MacTypes.h"

#include <cstring>
#include <span>
#include <string_view>
#include <utility>

// The largest block a single request may make. Parsers check their own,
// tighter limits first; this is the last line of defence against a size that
// a file invented.
inline constexpr Size kMaxHandleSize = Size(1) << 31;

Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
Handle TempNewHandle(Size byteCount, OSErr* resultCode);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
void SetHandleSize(Handle h, Size newSize);  // sets MemError()
void HLock(Handle h);
void HUnlock(Handle h);
void HLockHi(Handle h);
void HPurge(Handle h);
void HNoPurge(Handle h);
SInt8 HGetState(Handle h);
void HSetState(Handle h, SInt8 flags);
[[nodiscard]] OSErr HandToHand(Handle* theHndl);  // replaces *theHndl with a new copy
[[nodiscard]] OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, Size size);
[[nodiscard]] OSErr PtrAndHand(const void* ptr, Handle h, Size size);  // appends
[[nodiscard]] OSErr HandAndHand(Handle src, Handle dst);               // appends src to dst
[[nodiscard]] OSErr MemError();
void BlockMoveData(const void* src, void* dst, Size byteCount);
bool IsValidHandle(Handle h);

// The handle's bytes as a span (empty for a null handle).
std::span<UInt8> HandleBytes(Handle h);

// Owning wrapper: disposes the handle when it goes out of scope.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~UniqueHandle() { reset(); }
    Handle get() const { return h_; }
    Handle release() { return std::exchange(h_, nullptr); }
    void reset(Handle h = nullptr) {
        if (h_ && h_ != h) DisposeHandle(h_);
        h_ = h;
    }
    explicit operator bool() const { return h_ != nullptr; }

private:
    Handle h_ = nullptr;
};

// Convenience for tests and parsers: a new handle holding a copy of bytes.
Handle NewHandleFromBytes(std::span<const UInt8> bytes);
