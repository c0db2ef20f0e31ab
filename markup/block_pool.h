// A size-class allocator for the markup tree's small blocks: nodes, long texts
// and short item arrays. A parsed page is millions of blocks of a few dozen
// bytes, and taking each from malloc costs more than the parse itself; here a
// block comes off a free list or is cut from a larger chunk, needs no header and
// is rounded up to 8 bytes only.
//
// Blocks are freed with their size, so callers must know it (a node's class, a
// text's length, an array's capacity). Freed blocks are kept for reuse; when the
// last block of a size class is freed, that class's chunks are released, the
// largest of them kept aside (up to 128 MB in all) for the next tree.
//
// Not thread-safe: like MultibyteMode, the pool is process-wide state for a
// program that handles markup on one thread. Markup trees may be made and
// destroyed on any thread, but never on two at the same time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

namespace markup_pool {

// Blocks of up to this many bytes are pooled; larger ones use operator new.
constexpr size_t kMaxPooledSize = 128;
constexpr size_t kGranule = 8;
constexpr size_t kClassCount = kMaxPooledSize / kGranule;

struct FreeBlock {
  FreeBlock* next;
};

// One size class: a free list, the unused tail of the newest chunk, and every
// chunk taken so far (linked through their first word).
struct SizeClass {
  FreeBlock* free;
  char* bump;
  char* end;
  void* chunks;
  size_t live;
  uint32_t chunkCount;
};

// Zero-initialized, never destroyed: blocks may be freed by static objects'
// destructors at exit.
extern SizeClass classes[kClassCount];

// Takes a new chunk for class `index` and returns its first block.
void* AllocateFromNewChunk(size_t index);
// Releases every chunk of class `index`, which has no live block left.
void ReleaseClass(size_t index);

inline size_t ClassIndex(size_t size) { return size == 0 ? 0 : (size - 1) / kGranule; }

// Under AddressSanitizer every block is its own allocation, so that overruns
// and uses after free are still caught and each freed size is checked.
#if defined(__SANITIZE_ADDRESS__)
#define MARKUP_POOL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MARKUP_POOL_UNDER_ASAN 1
#endif
#endif
#ifdef MARKUP_POOL_UNDER_ASAN
constexpr bool kBypassPool = true;
#else
constexpr bool kBypassPool = false;
#endif

}  // namespace markup_pool

// A block of at least `size` bytes, aligned for any object of up to 8-byte
// alignment. Throws std::bad_alloc when memory runs out. Free it with
// FreePooled and the same size.
inline void* AllocatePooled(size_t size) {
  using namespace markup_pool;
  if (kBypassPool || size > kMaxPooledSize) return ::operator new(size);
  size_t index = ClassIndex(size);
  SizeClass& sizeClass = classes[index];
  void* block;
  if (sizeClass.free != nullptr) {
    block = sizeClass.free;
    sizeClass.free = sizeClass.free->next;
  } else if (static_cast<size_t>(sizeClass.end - sizeClass.bump) >= (index + 1) * kGranule) {
    block = sizeClass.bump;
    sizeClass.bump += (index + 1) * kGranule;
  } else {
    block = AllocateFromNewChunk(index);
  }
  ++sizeClass.live;
  return block;
}

// Frees a block from AllocatePooled(size); null is ignored.
inline void FreePooled(void* block, size_t size) {
  using namespace markup_pool;
  if (block == nullptr) return;
  if (kBypassPool || size > kMaxPooledSize) {
#ifdef __cpp_sized_deallocation
    ::operator delete(block, size);  // lets AddressSanitizer check the size
#else
    ::operator delete(block);
#endif
    return;
  }
  size_t index = ClassIndex(size);
  SizeClass& sizeClass = classes[index];
  FreeBlock* freed = static_cast<FreeBlock*>(block);
  freed->next = sizeClass.free;
  sizeClass.free = freed;
  if (--sizeClass.live == 0) ReleaseClass(index);
}

// Gives the chunks kept for reuse back to the system (see block_pool.cpp); live
// blocks are not affected.
void ReleaseSpareMarkupMemory();
