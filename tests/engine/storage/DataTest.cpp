#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/CCData.h"

using cocos2d::Data;

namespace {

Data dataOf(const char* text) {
    Data data;
    data.copy(reinterpret_cast<const unsigned char*>(text), std::strlen(text));
    return data;
}

std::string textOf(const Data& data) {
    return std::string(reinterpret_cast<const char*>(data.getBytes()), data.getSize());
}

TEST(DataTest, CopiesOwnTheirBytesAndMovesLeaveTheSourceNull) {
    Data original = dataOf("circuit");
    Data copied(original);
    EXPECT_NE(copied.getBytes(), original.getBytes());
    copied.getBytes()[0] = 'C';
    EXPECT_EQ(textOf(original), "circuit");

    Data assigned;
    assigned = original;
    EXPECT_EQ(textOf(assigned), "circuit");
    const Data& alias = assigned;
    assigned = alias;
    EXPECT_EQ(textOf(assigned), "circuit");

    unsigned char* bytes = original.getBytes();
    Data moved(std::move(original));
    EXPECT_EQ(moved.getBytes(), bytes);
    EXPECT_TRUE(original.isNull());
    EXPECT_EQ(original.getSize(), 0);

    Data target = dataOf("old");
    target = std::move(moved);
    EXPECT_EQ(target.getBytes(), bytes);
    EXPECT_TRUE(moved.isNull());
}

TEST(DataTest, NullStatesAndOwnershipHandOver) {
    EXPECT_TRUE(Data::Null.isNull());
    Data data;
    data.copy(nullptr, 10);
    EXPECT_TRUE(data.isNull());

    auto* bytes = static_cast<unsigned char*>(std::malloc(4));
    std::memcpy(bytes, "abcd", 4);
    data.fastSet(bytes, 4);
    EXPECT_EQ(data.getBytes(), bytes);
    EXPECT_EQ(textOf(data), "abcd");

    // Copying a part of its own buffer must read before it frees.
    data.copy(data.getBytes() + 1, 2);
    EXPECT_EQ(textOf(data), "bc");

    ssize_t size = 0;
    unsigned char* taken = data.takeBuffer(&size);
    EXPECT_EQ(size, 2);
    EXPECT_TRUE(data.isNull());
    std::free(taken);

    data = dataOf("x");
    data.clear();
    EXPECT_TRUE(data.isNull());
    EXPECT_EQ(data.getBytes(), nullptr);
}

}  // namespace
