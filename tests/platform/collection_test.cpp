#include <gtest/gtest.h>

#include <cstring>

#include "platform/KEPErrmsg.h"
#include "platform/KEPRawCollPV.h"

namespace {

TEST(PointerList, PositionsAreOneBasedAndLocateGivesZeroWhenAbsent) {
  int a = 1, b = 2, c = 3;
  KEPListPtr<int> list;
  list.Append(&a);
  list.Append(&c);
  EXPECT_EQ(list.InsertAt(2, &b), 2);
  ASSERT_EQ(list.Size(), 3);
  EXPECT_EQ(list[1], &a);
  EXPECT_EQ(list[2], &b);
  EXPECT_EQ(list[3], &c);
  EXPECT_EQ(list.Locate(&c), 3);
  int d = 4;
  EXPECT_EQ(list.Locate(&d), 0);
  EXPECT_EQ(list.InsertAt(5, &d), 0);
  EXPECT_EQ(list.RemoveValue(&b), 1);
  EXPECT_EQ(list.Locate(&c), 2);
  EXPECT_EQ(list.RemovePosition(7), 0);
}

TEST(PointerList, RemoveDuplicatesKeepsFirstAndDropsOthersPointers) {
  int a = 1, b = 2, c = 3;
  KEPListPtr<int> list, other;
  for (int* p : {&a, &b, &a, &c, &b}) list.Append(p);
  other.Append(&c);
  list.RemoveDuplicates(&other);
  ASSERT_EQ(list.Size(), 2);
  EXPECT_EQ(list[1], &a);
  EXPECT_EQ(list[2], &b);
}

TEST(ErrorText, LongMessagesAreCutInsideTheBuffer) {
  std::string longName(600, 'x');
  KEPFormatError(errmsg, "File '%s' not found", longName.c_str());
  EXPECT_EQ(std::strlen(errmsg), KEP_ERRMSG_SIZE - 1);
}

}  // namespace
