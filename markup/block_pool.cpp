#include "markup/block_pool.h"

#include <algorithm>

namespace markup_pool {

namespace {

// Chunks start small so that a short settings file does not take much memory,
// and grow for a page of tens of megabytes.
constexpr size_t kFirstChunkSize = 4 * 1024;
constexpr size_t kLargestChunkSize = 256 * 1024;
// The first word of a chunk links it to the class's previous chunk.
constexpr size_t kChunkHeader = sizeof(void*);
// Largest chunks that fall free are kept up to this many bytes for the next
// tree instead of going back to the system: a program that parses one big page
// after another would otherwise have the system clear the same memory again for
// every page, which costs about as much as the parse itself.
constexpr size_t kMaxSpareBytes = size_t{128} << 20;

void* spareChunks = nullptr;  // linked through their first word
size_t spareBytes = 0;

char* TakeChunk(size_t size) {
  if (size == kLargestChunkSize && spareChunks != nullptr) {
    char* chunk = static_cast<char*>(spareChunks);
    spareChunks = *static_cast<void**>(spareChunks);
    spareBytes -= size;
    return chunk;
  }
  return static_cast<char*>(::operator new(size));
}

void GiveBackChunk(void* chunk, size_t size) {
  if (size == kLargestChunkSize && spareBytes + size <= kMaxSpareBytes) {
    *static_cast<void**>(chunk) = spareChunks;
    spareChunks = chunk;
    spareBytes += size;
    return;
  }
  ::operator delete(chunk);
}

size_t ChunkSize(uint32_t chunkCount) {
  return std::min(kLargestChunkSize, kFirstChunkSize << std::min<uint32_t>(chunkCount, 8));
}

}  // namespace

SizeClass classes[kClassCount];

void* AllocateFromNewChunk(size_t index) {
  SizeClass& sizeClass = classes[index];
  size_t blockSize = (index + 1) * kGranule;
  size_t chunkSize = ChunkSize(sizeClass.chunkCount);
  char* chunk = TakeChunk(chunkSize);
  *reinterpret_cast<void**>(chunk) = sizeClass.chunks;
  sizeClass.chunks = chunk;
  ++sizeClass.chunkCount;
  // Whatever is left of the previous chunk is too small for a block and is
  // simply not used.
  sizeClass.bump = chunk + kChunkHeader + blockSize;
  sizeClass.end = chunk + chunkSize;
  return chunk + kChunkHeader;
}

void ReleaseClass(size_t index) {
  SizeClass& sizeClass = classes[index];
  // The newest chunk is first; chunk n (counting from 0) has ChunkSize(n).
  void* chunk = sizeClass.chunks;
  for (uint32_t n = sizeClass.chunkCount; chunk != nullptr; --n) {
    void* previous = *static_cast<void**>(chunk);
    GiveBackChunk(chunk, ChunkSize(n - 1));
    chunk = previous;
  }
  sizeClass = SizeClass{};
}

}  // namespace markup_pool

void ReleaseSpareMarkupMemory() {
  using namespace markup_pool;
  while (spareChunks != nullptr) {
    void* next = *static_cast<void**>(spareChunks);
    ::operator delete(spareChunks);
    spareChunks = next;
  }
  spareBytes = 0;
}
