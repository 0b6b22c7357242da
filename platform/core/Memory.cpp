#include "platform/core/Memory.h"

#include <cstdlib>
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The master pointer must be the first member so that a Handle (a pointer to
// it) can be turned back into its block.
struct Block {
    char* ptr = nullptr;
    Size size = 0;
    SInt8 state = 0;  // 0x80 locked, 0x40 purgeable, 0x20 resource
};
static_assert(offsetof(Block, ptr) == 0);

constexpr SInt8 kLocked = SInt8(0x80);

thread_local OSErr gMemError = noErr;

Block* BlockOf(Handle h) { return reinterpret_cast<Block*>(h); }

// Pixel buffers of many megabytes are made and freed by every large edit.
// Left to itself the C library maps each one afresh and unmaps it when freed,
// so that every page of the next buffer is faulted in and zeroed again; kept
// in the heap, freed buffers serve the next ones.
bool KeepLargeBlocksInHeap() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest the library accepts
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
    return true;
}

Handle Allocate(Size byteCount, bool clear) {
    static const bool heapSetUp = KeepLargeBlocksInHeap();
    (void)heapSetUp;
    if (byteCount < 0 || byteCount > kMaxHandleSize) {
        gMemError = memFullErr;
        return nullptr;
    }
    auto* b = new (std::nothrow) Block;
    if (!b) {
        gMemError = memFullErr;
        return nullptr;
    }
    // Always allocate at least one byte so that *h is never null.
    b->ptr = static_cast<char*>(clear ? std::calloc(size_t(byteCount) + 1, 1)
                                      : std::malloc(size_t(byteCount) + 1));
    if (!b->ptr) {
        delete b;
        gMemError = memFullErr;
        return nullptr;
    }
    b->size = byteCount;
    gMemError = noErr;
    return &b->ptr;
}

}  // namespace

Handle NewHandle(Size byteCount) { return Allocate(byteCount, false); }
Handle NewHandleClear(Size byteCount) { return Allocate(byteCount, true); }

Handle TempNewHandle(Size byteCount, OSErr* resultCode) {
    Handle h = Allocate(byteCount, false);
    if (resultCode) *resultCode = gMemError;
    return h;
}

void DisposeHandle(Handle h) {
    if (!h) return;
    Block* b = BlockOf(h);
    std::free(b->ptr);
    delete b;
    gMemError = noErr;
}

Size GetHandleSize(Handle h) {
    if (!h) {
        gMemError = nilHandleErr;
        return 0;
    }
    gMemError = noErr;
    return BlockOf(h)->size;
}

void SetHandleSize(Handle h, Size newSize) {
    if (!h) {
        gMemError = nilHandleErr;
        return;
    }
    Block* b = BlockOf(h);
    if (newSize < 0 || newSize > kMaxHandleSize) {
        gMemError = memFullErr;
        return;
    }
    if (newSize > b->size && (b->state & kLocked)) {
        // A locked block cannot move; we never grow in place.
        gMemError = memWZErr;
        return;
    }
    char* p = static_cast<char*>(std::realloc(b->ptr, size_t(newSize) + 1));
    if (!p) {
        gMemError = memFullErr;
        return;
    }
    b->ptr = p;
    b->size = newSize;
    gMemError = noErr;
}

void HLock(Handle h) {
    if (h) BlockOf(h)->state |= kLocked;
}
void HLockHi(Handle h) { HLock(h); }
void HUnlock(Handle h) {
    if (h) BlockOf(h)->state &= SInt8(~kLocked);
}
void HPurge(Handle h) {
    if (h) BlockOf(h)->state |= 0x40;
}
void HNoPurge(Handle h) {
    if (h) BlockOf(h)->state &= SInt8(~0x40);
}
SInt8 HGetState(Handle h) { return h ? BlockOf(h)->state : SInt8(0); }
void HSetState(Handle h, SInt8 flags) {
    if (h) BlockOf(h)->state = flags;
}

OSErr HandToHand(Handle* theHndl) {
    if (!theHndl || !*theHndl) return gMemError = nilHandleErr;
    Handle src = *theHndl;
    Handle copy = NewHandle(GetHandleSize(src));
    if (!copy) return gMemError;
    std::memcpy(*copy, *src, size_t(GetHandleSize(src)));
    *theHndl = copy;
    return gMemError = noErr;
}

OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, Size size) {
    if (!dstHndl || size < 0) return gMemError = paramErr;
    Handle h = NewHandle(size);
    if (!h) return gMemError;
    if (size) std::memcpy(*h, srcPtr, size_t(size));
    *dstHndl = h;
    return gMemError = noErr;
}

OSErr PtrAndHand(const void* ptr, Handle h, Size size) {
    if (!h) return gMemError = nilHandleErr;
    if (size < 0) return gMemError = paramErr;
    Size old = GetHandleSize(h);
    if (size > kMaxHandleSize - old) return gMemError = memFullErr;
    SetHandleSize(h, old + size);
    if (gMemError) return gMemError;
    if (size) std::memcpy(*h + old, ptr, size_t(size));
    return noErr;
}

OSErr HandAndHand(Handle src, Handle dst) {
    if (!src || !dst) return gMemError = nilHandleErr;
    // Copy first: src and dst may be the same block, which moves when grown.
    Handle copy = src;
    if (OSErr err = HandToHand(&copy)) return err;
    UniqueHandle owned(copy);
    return PtrAndHand(*copy, dst, GetHandleSize(copy));
}

OSErr MemError() { return gMemError; }

void BlockMoveData(const void* src, void* dst, Size byteCount) {
    if (byteCount > 0) std::memmove(dst, src, size_t(byteCount));
}

bool IsValidHandle(Handle h) { return h != nullptr && *h != nullptr; }

std::span<UInt8> HandleBytes(Handle h) {
    if (!h) return {};
    return {reinterpret_cast<UInt8*>(*h), size_t(BlockOf(h)->size)};
}

Handle NewHandleFromBytes(std::span<const UInt8> bytes) {
    Handle h = NewHandle(Size(bytes.size()));
    if (h && !bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}
