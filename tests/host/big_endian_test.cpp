#include "base/big_endian.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

TEST(BigEndianSourceTest, ReadsIntegersMostSignificantFirst) {
    MemorySource source({0x01, 0x02, 0xCA, 0xFE, 0xBA, 0xBE, 0x7F, 0x00, 0x00, 0x00, 0x01,
                         0x00, 0x36, 0xB7, 0xD0, 0xFF});
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    UInt64Halves u64;
    uint8_t u8 = 0;
    ASSERT_TRUE(ReadUInt16(source, &u16));
    EXPECT_EQ(u16, 258);
    ASSERT_TRUE(ReadUInt32(source, &u32));
    EXPECT_EQ(u32, 0xCAFEBABEu);
    ASSERT_TRUE(ReadUInt64(source, &u64));
    EXPECT_EQ(u64.high, 0x7F000000u);
    EXPECT_EQ(u64.low, 0x010036B7u);
    ASSERT_TRUE(ReadByte(source, &u8));
    EXPECT_EQ(u8, 0xD0);
    ASSERT_TRUE(ReadByte(source, &u8));
    EXPECT_EQ(u8, 0xFF);
    EXPECT_FALSE(ReadByte(source, &u8));
}

TEST(BigEndianSourceTest, ShortReadsFailAndLeaveTheValue) {
    for (size_t available = 0; available < 8; ++available) {
        const std::vector<uint8_t> bytes(available, 0xAB);
        uint16_t u16 = 7;
        uint32_t u32 = 7;
        UInt64Halves u64{7, 7};
        MemorySource s16(bytes), s32(bytes), s64(bytes);
        EXPECT_EQ(ReadUInt16(s16, &u16), available >= 2) << available;
        EXPECT_EQ(ReadUInt32(s32, &u32), available >= 4) << available;
        EXPECT_FALSE(ReadUInt64(s64, &u64)) << available;
        if (available < 2) EXPECT_EQ(u16, 7);
        if (available < 4) EXPECT_EQ(u32, 7u);
        EXPECT_EQ(u64.low, 7u);
        EXPECT_EQ(u64.high, 7u);
    }
}

TEST(BigEndianSourceTest, CountedStringsStopAtTheFirstZeroButConsumeAllBytes) {
    MemorySource source({0x00, 0x05, 'a', 'b', 0x00, 'c', 'd', 0x00, 0x00, 0x00, 0x03, 'x', 'y'});
    std::string text = "unchanged";
    ASSERT_TRUE(ReadCountedString(source, &text));
    EXPECT_EQ(text, "ab");
    ASSERT_TRUE(ReadCountedString(source, &text));
    EXPECT_EQ(text, "");
    // Claims three bytes where two remain.
    text = "unchanged";
    EXPECT_FALSE(ReadCountedString(source, &text));
    EXPECT_EQ(text, "unchanged");
}

TEST(BigEndianBufferTest, ChecksWhatTheBufferHolds) {
    const uint8_t bytes[] = {0x00, 0x04, 'N', 'a', 'm', 'e', '!'};
    uint16_t value = 0;
    EXPECT_TRUE(ReadUInt16(bytes, 2, &value));
    EXPECT_EQ(value, 4);
    EXPECT_FALSE(ReadUInt16(bytes, 1, &value));

    std::string text;
    EXPECT_TRUE(ReadCountedString(bytes, sizeof bytes, &text));
    EXPECT_EQ(text, "Name");
    EXPECT_TRUE(ReadCountedString(bytes, 6, &text));
    EXPECT_FALSE(ReadCountedString(bytes, 5, &text));
    EXPECT_FALSE(ReadCountedString(bytes, 1, &text));
}

TEST(MemorySourceTest, SeeksLikeAFile) {
    MemorySource source({1, 2, 3});
    uint8_t b = 0;
    ASSERT_TRUE(source.Seek(2));
    ASSERT_TRUE(ReadByte(source, &b));
    EXPECT_EQ(b, 3);
    EXPECT_TRUE(source.Seek(10));
    EXPECT_FALSE(ReadByte(source, &b));
    EXPECT_TRUE(source.Seek(0));
    EXPECT_TRUE(source.Read(nullptr, 0));
    uint64_t size = 0;
    EXPECT_TRUE(source.Size(&size));
    EXPECT_EQ(size, 3u);
}

}  // namespace
}  // namespace tarnwick
