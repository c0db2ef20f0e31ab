#include "markup/block_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "markup/tree.h"

namespace {

struct Block {
  char* bytes;
  size_t size;
};

// Fills every block with its own pattern, so that overlapping blocks show.
void Fill(const std::vector<Block>& blocks) {
  for (size_t i = 0; i < blocks.size(); ++i) std::memset(blocks[i].bytes, static_cast<int>(i % 251), blocks[i].size);
}

bool Intact(const std::vector<Block>& blocks) {
  for (size_t i = 0; i < blocks.size(); ++i) {
    for (size_t j = 0; j < blocks[i].size; ++j) {
      if (static_cast<unsigned char>(blocks[i].bytes[j]) != i % 251) return false;
    }
  }
  return true;
}

TEST(BlockPoolTest, BlocksOfEverySizeAreSeparateAlignedAndReused) {
  // Enough blocks of each size, pooled and not, to need several chunks.
  std::vector<Block> blocks;
  for (int round = 0; round < 300; ++round) {
    for (size_t size = 0; size <= 140; size += 7) {
      blocks.push_back({static_cast<char*>(AllocatePooled(size)), size});
    }
  }
  for (const Block& block : blocks) EXPECT_EQ(reinterpret_cast<uintptr_t>(block.bytes) % 8, 0u);
  Fill(blocks);
  EXPECT_TRUE(Intact(blocks));

  // Freeing every other block and allocating again fills the holes without
  // touching the blocks still in use.
  std::vector<Block> kept, again;
  for (size_t i = 0; i < blocks.size(); ++i) {
    if (i % 2 == 0) {
      kept.push_back(blocks[i]);
    } else {
      FreePooled(blocks[i].bytes, blocks[i].size);
    }
  }
  std::set<char*> freed;
  for (size_t i = 1; i < blocks.size(); i += 2) freed.insert(blocks[i].bytes);
  size_t reused = 0;
  for (size_t i = 1; i < blocks.size(); i += 2) {
    again.push_back({static_cast<char*>(AllocatePooled(blocks[i].size)), blocks[i].size});
    if (blocks[i].size <= markup_pool::kMaxPooledSize && !markup_pool::kBypassPool) {
      reused += freed.count(again.back().bytes);
    }
  }
  std::vector<Block> all = kept;
  all.insert(all.end(), again.begin(), again.end());
  Fill(all);
  EXPECT_TRUE(Intact(all));
  if (!markup_pool::kBypassPool) {
    EXPECT_GT(reused, again.size() / 2);
  }
  for (const Block& block : all) FreePooled(block.bytes, block.size);
  FreePooled(nullptr, 24);
  ReleaseSpareMarkupMemory();
}

TEST(BlockPoolTest, TreesBuiltAfterOthersWereFreedAreWhole) {
  // Trees come and go, so chunks are released, kept aside and taken again.
  for (int round = 0; round < 3; ++round) {
    MarkupDocument document;
    for (int i = 0; i < 20000; ++i) {
      MarkupElement* row = document.AddChild("tr");
      row->AddAttribute("id", "a value longer than fourteen bytes");
      row->AddTextFormat("%d", i);
    }
    ASSERT_EQ(document.children().size(), 20000u);
    for (int i = 0; i < 20000; i += 997) {
      const MarkupElement* row = document.children()[i];
      EXPECT_EQ(row->FindAttribute("id")->text(), "a value longer than fourteen bytes");
      EXPECT_EQ(row->FirstText()->text(), std::to_string(i));
    }
    if (round == 1) ReleaseSpareMarkupMemory();
  }
}

}  // namespace
