// The local heap hands out fixed blocks and survives being handed back
// anything that is not a live block of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "windows.h"

namespace {

DWORD Error(DWORD code) { return code; }

TEST(HeapTest, BlocksAreDistinctAndLptrZeroFills) {
  auto* zeroed = static_cast<unsigned char*>(LocalAlloc(LPTR, 256));
  ASSERT_NE(zeroed, nullptr);
  EXPECT_TRUE(std::all_of(zeroed, zeroed + 256, [](unsigned char c) { return c == 0; }));
  std::memset(zeroed, 0xAB, 256);  // the whole block is usable
  EXPECT_EQ(LocalFree(zeroed), nullptr);

  // Zero-byte blocks are blocks too, each with its own address.
  std::set<HLOCAL> blocks;
  for (int i = 0; i < 8; ++i) {
    HLOCAL block = LocalAlloc(LMEM_FIXED, 0);
    ASSERT_NE(block, nullptr);
    blocks.insert(block);
  }
  EXPECT_EQ(blocks.size(), 8u);
  for (HLOCAL block : blocks) EXPECT_EQ(LocalFree(block), nullptr);
}

TEST(HeapTest, FreeingWhatIsNotALiveBlockFailsAndHarmsNothing) {
  auto* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, 16));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "still intact", 13);
  int onStack = 0;
  for (void* foreign : {static_cast<void*>(block + 4), static_cast<void*>(&onStack)}) {
    SetLastError(0);
    EXPECT_EQ(LocalFree(foreign), foreign);
    EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_HANDLE));
  }
  EXPECT_STREQ(block, "still intact");
  EXPECT_EQ(LocalFree(block), nullptr);
  SetLastError(0);
  EXPECT_EQ(LocalFree(block), block);  // twice
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_HANDLE));
  EXPECT_EQ(LocalFree(nullptr), nullptr);
}

TEST(HeapTest, RequestsTheHeapCannotMeetAreRefused) {
  SetLastError(0);
  EXPECT_EQ(LocalAlloc(LMEM_MOVEABLE, 16), nullptr);
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(LocalAlloc(LHND, 16), nullptr);
  EXPECT_EQ(LocalAlloc(0x8000, 16), nullptr);
  EXPECT_EQ(GetLastError(), Error(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(LocalAlloc(LPTR, SIZE_T{1} << 40), nullptr);
  EXPECT_EQ(GetLastError(), Error(ERROR_NOT_ENOUGH_MEMORY));
}

}  // namespace
