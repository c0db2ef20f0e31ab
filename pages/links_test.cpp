#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "pages/link_images.h"

namespace {

uint32_t BigEndian(const unsigned char* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t Crc32(const unsigned char* p, size_t length) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) {
    crc ^= p[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// Walks the chunks: each CRC must hold, IHDR first, IEND last at the very end.
// Returns the chunk types in order.
std::string CheckChunks(const unsigned char* png, size_t size) {
  std::string types;
  size_t at = 8;
  while (at + 12 <= size) {
    uint32_t length = BigEndian(png + at);
    if (at + 12 + length > size) break;
    EXPECT_EQ(Crc32(png + at + 4, length + 4), BigEndian(png + at + 8 + length)) << "chunk at " << at;
    types.append(reinterpret_cast<const char*>(png + at + 4), 4).append(" ");
    at += 12 + length;
  }
  EXPECT_EQ(at, size);
  return types;
}

TEST(LinkImages, SizesDimensionsColourTypesAndCrcs) {
  struct Icon {
    const unsigned char* png;
    size_t size;
    size_t expectedSize;
    int colourType;  // 6 RGBA, 3 palette, 2 RGB
    const char* chunks;
  };
  const Icon icons[] = {
      {kYahooPng, sizeof kYahooPng, 686, 6, "IHDR tEXt IDAT IEND "},
      {kGmoPng, sizeof kGmoPng, 699, 6, "IHDR tEXt IDAT IEND "},
      {kKcomPng, sizeof kKcomPng, 662, 6, "IHDR tEXt IDAT IEND "},
      {kSbiPng, sizeof kSbiPng, 502, 3, "IHDR PLTE tEXt IDAT IEND "},
      {kIfisPng, sizeof kIfisPng, 595, 2, "IHDR tEXt IDAT IEND "},
  };
  for (const Icon& icon : icons) {
    SCOPED_TRACE(icon.expectedSize);
    ASSERT_EQ(icon.size, icon.expectedSize);
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(icon.png), 16),
              std::string_view("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    EXPECT_EQ(BigEndian(icon.png + 16), 16u);  // width
    EXPECT_EQ(BigEndian(icon.png + 20), 16u);  // height
    EXPECT_EQ(icon.png[24], 8);                // bit depth
    EXPECT_EQ(icon.png[25], icon.colourType);
    EXPECT_EQ(CheckChunks(icon.png, icon.size), icon.chunks);
  }
}

}  // namespace
