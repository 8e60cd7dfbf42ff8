#include "labeldata/ByteString.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using labeldata::ByteString;

namespace {

// Lengths on both sides of what fits in place, zero bytes inside and at the end.
std::string bytesOfLength(size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s.push_back(i % 5 == 4 ? '\0' : char('A' + i % 26));
    return s;
}

const size_t Lengths[] = {0, 1, 16, 19, 23, 24, 25, 40, 300};

} // namespace

TEST(ByteString, KeepsEveryByteThroughCopiesAndMoves)
{
    for (size_t n : Lengths) {
        SCOPED_TRACE(n);
        const std::string bytes = bytesOfLength(n);
        ByteString original(bytes);
        ASSERT_EQ(original.size(), n);
        EXPECT_EQ(original.str(), bytes);
        EXPECT_EQ(original.empty(), n == 0);

        ByteString copied(original);
        EXPECT_EQ(copied, bytes);
        ByteString assigned;
        assigned = original;
        EXPECT_EQ(assigned, bytes);
        ByteString moved(std::move(copied));
        EXPECT_EQ(moved, bytes);
        EXPECT_TRUE(copied.empty()); // NOLINT: a moved-from string is empty, not dangling
        ByteString moveAssigned("old");
        moveAssigned = std::move(moved);
        EXPECT_EQ(moveAssigned, bytes);
        EXPECT_EQ(original, bytes) << "the source of a copy is untouched";
    }
}

TEST(ByteString, AssigningBetweenAnyTwoLengthsGivesTheNewBytes)
{
    for (size_t from : Lengths)
        for (size_t to : Lengths) {
            SCOPED_TRACE(testing::Message() << from << " -> " << to);
            ByteString s(bytesOfLength(from));
            const std::string next = bytesOfLength(to) + "!";
            s = next;
            EXPECT_EQ(s, next);
            s.assign(next.data(), to);
            EXPECT_EQ(std::string_view(s), std::string_view(next).substr(0, to));
        }
}

TEST(ByteString, AssigningPartOfItselfIsSafe)
{
    for (size_t n : Lengths) {
        if (n < 2)
            continue;
        SCOPED_TRACE(n);
        const std::string bytes = bytesOfLength(n);
        ByteString tail(bytes);
        tail = std::string_view(tail).substr(1);
        EXPECT_EQ(tail, bytes.substr(1));
        ByteString head(bytes);
        head.assign(head.data(), n - 1);
        EXPECT_EQ(head, bytes.substr(0, n - 1));
        ByteString self(bytes);
        const ByteString& alias = self;
        self = alias;
        EXPECT_EQ(self, bytes);
    }
}

TEST(ByteString, ComparesByAllItsBytes)
{
    const ByteString name(std::string("A4\0\0", 4));
    struct Row { std::string other; bool equal; };
    const Row rows[] = {
        {std::string("A4\0\0", 4), true},
        {"A4", false},                       // the zero bytes count
        {std::string("A4\0\1", 4), false},   // so do bytes after the first zero
        {std::string("A4\0\0\0", 5), false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(name == r.other, r.equal);
        EXPECT_EQ(name == ByteString(r.other), r.equal);
        EXPECT_EQ(r.other == name, r.equal);
    }
    EXPECT_TRUE(ByteString("keep") == "keep");
    EXPECT_TRUE(ByteString() == "");
    EXPECT_TRUE(ByteString(std::string_view()) == ""); // a view of no bytes at all
    ByteString emptied("x");
    emptied = std::string_view();
    EXPECT_TRUE(emptied.empty());
}
