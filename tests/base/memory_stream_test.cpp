#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "base/memory_stream.h"

namespace {

std::string Contents(const MemoryStream& stream) {
    return std::string(stream.GetBuffer(), stream.GetPosition());
}

TEST(MemoryStream, WritesGrowByAtLeastTheStep) {
    MemoryStream stream(4); // raised to the minimum step of 32
    EXPECT_EQ(nullptr, stream.GetBuffer());
    stream.Write("abc", 3);
    EXPECT_EQ(32u, stream.GetCapacity());
    stream.WriteRepeated('x', 29);
    EXPECT_EQ(32u, stream.GetCapacity()); // exactly full: no growth
    stream.Write("y", 1);
    EXPECT_EQ(64u, stream.GetCapacity()); // capacity + step
    stream.WriteRepeated('z', 100);
    EXPECT_EQ(133u, stream.GetCapacity()); // what is needed, when more than a step
    EXPECT_EQ("abc" + std::string(29, 'x') + "y" + std::string(100, 'z'), Contents(stream));
    stream.Write(nullptr, 0);
    EXPECT_EQ(133u, stream.GetPosition());
}

TEST(MemoryStream, TextsStringsAndLines) {
    MemoryStream stream;
    stream.WriteText("ab", 0);
    stream.WriteText("cd", 1);
    stream.WriteString(String("ef"), 1);
    stream.WriteLine("gh");
    stream.WriteLine(String(""));
    stream.WriteText(nullptr, 1);
    EXPECT_EQ(std::string("abcd\0ef\0gh\r\n\r\n\0", 15), Contents(stream));
}

TEST(MemoryStream, ResetAndTakeBuffer) {
    MemoryStream stream(64);
    stream.WriteText("abc", 1);
    stream.Reset(); // frees the first buffer (the sanitizer checks)
    EXPECT_EQ(0u, stream.GetPosition());
    EXPECT_EQ(nullptr, stream.GetBuffer());
    stream.WriteText("def", 1);
    char* taken = stream.TakeBuffer();
    EXPECT_STREQ("def", taken);
    EXPECT_EQ(nullptr, stream.GetBuffer());
    free(taken);
}

// Told so at construction or at Reset (a freed buffer is the sanitizer's).
TEST(MemoryStream, WithoutFreeOnDestroyTheBufferOutlivesTheStream) {
    for (bool atReset : {false, true}) {
        char* buffer;
        {
            MemoryStream stream(32, atReset ? 1 : 0);
            if (atReset) stream.Reset(32, 0);
            stream.WriteText("kept", 1);
            buffer = stream.GetBuffer();
        }
        EXPECT_STREQ("kept", buffer) << atReset;
        free(buffer);
    }
}

TEST(MemoryStream, ReadingStaysWithinTheBuffer) {
    const char data[] = "0123456789";
    MemoryStream stream(data, 10);
    char out[8] = {};
    EXPECT_EQ(4u, stream.Read(out, 4));
    EXPECT_STREQ("0123", out);
    stream.Skip(2);
    EXPECT_EQ(4u, stream.Read(out, 8)); // only four were left
    EXPECT_EQ(0, memcmp("6789", out, 4));
    EXPECT_EQ(0u, stream.Read(out, 1));
    EXPECT_THROW(stream.Write("x", 1), std::logic_error);
    EXPECT_STREQ("0123456789", data);
}

} // namespace
