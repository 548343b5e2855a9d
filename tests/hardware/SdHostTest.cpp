#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "hardware/cards/ScriptedCard.h"
#include "hardware/sd/SdHost.h"

namespace {

using hw::SdStatus;

struct CountingListener : hw::SdHostListener {
  int inserted = 0, removed = 0, interrupts = 0;
  void OnCardInserted() override { ++inserted; }
  void OnCardRemoved() override { ++removed; }
  void OnCardInterrupt() override { ++interrupts; }
};

class SdHostTest : public ::testing::Test {
 protected:
  hw::Clock clock_{hw::Clock::Mode::Virtual};
  hw::SdHost host_{clock_};
  std::shared_ptr<hw::ScriptedCard> card_ = std::make_shared<hw::ScriptedCard>();
};

TEST_F(SdHostTest, ExtendedWriteAndReadDecodeTheArgumentAndAreTraced) {
  ASSERT_TRUE(host_.Insert(card_));
  clock_.SleepMs(12);
  std::array<std::uint8_t, 8> image{0, 0, 0, 0x40, 0, 0, 0, 0};
  EXPECT_EQ(host_.Execute(53, 0x9400CC08, image).status, SdStatus::Ok);
  card_->SetReadData(0x66, {1, 2, 3, 4, 5, 6, 7, 8});
  std::array<std::uint8_t, 8> read{};
  hw::SdResponse response = host_.Execute(53, 0x1400CC08, read);
  EXPECT_EQ(response.status, SdStatus::Ok);
  EXPECT_EQ(response.flags, hw::kR5StateCommand);
  EXPECT_EQ(read, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));

  auto transfers = card_->Transfers();
  ASSERT_EQ(transfers.size(), 2u);
  EXPECT_TRUE(transfers[0].write);
  EXPECT_FALSE(transfers[0].direct);
  EXPECT_EQ(transfers[0].function, 1u);
  EXPECT_EQ(transfers[0].address, 0x66u);
  EXPECT_EQ(transfers[0].data, std::vector<std::uint8_t>(image.begin(), image.end()));
  EXPECT_FALSE(transfers[1].write);

  auto lines = host_.trace().Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "t=12 CMD53 W fn=1 reg=0x66 00 00 00 40 00 00 00 00 status=0 arg=0x9400CC08");
  EXPECT_EQ(lines[1], "t=12 CMD53 R fn=1 reg=0x66 01 02 03 04 05 06 07 08 status=0 arg=0x1400CC08");
}

TEST_F(SdHostTest, RefusesWhatTheRegisterWindowsCannotTake) {
  ASSERT_TRUE(host_.Insert(card_));
  std::array<std::uint8_t, 8> data{};
  // Block mode, a fixed address, a buffer shorter than the count, an unknown command.
  EXPECT_EQ(host_.Execute(53, 0x9400CC08 | (1u << 27), data).status, SdStatus::IllegalCommand);
  EXPECT_EQ(host_.Execute(53, 0x9400CC08 & ~(1u << 26), data).status, SdStatus::IllegalCommand);
  EXPECT_EQ(host_.Execute(53, 0x9400CC10, data).status, SdStatus::OutOfRange);  // 16 bytes
  hw::SdResponse unknown = host_.Execute(17, 0, data);
  EXPECT_EQ(unknown.status, SdStatus::IllegalCommand);
  EXPECT_TRUE(unknown.flags & hw::kR5IllegalCommand);
  EXPECT_TRUE(card_->Transfers().empty());
  // A card that fails a transfer says so in the response flags.
  card_->QueueStatus(SdStatus::CardError);
  EXPECT_TRUE(host_.Execute(53, 0x9400CC08, data).flags & hw::kR5Error);
}

TEST_F(SdHostTest, DirectCommandCarriesOneByteEachWay) {
  ASSERT_TRUE(host_.Insert(card_));
  card_->SetReadData(0, {0x5A});
  std::span<std::uint8_t> none;
  hw::SdResponse read = host_.Execute(52, 0x10000000, none);  // read fn 1, address 0
  EXPECT_EQ(read.data, 0x5A);
  host_.Execute(52, 0x80000000 | (1u << 28) | (0x12u << 9) | 0x34, none);
  auto transfers = card_->Transfers();
  ASSERT_EQ(transfers.size(), 2u);
  EXPECT_TRUE(transfers[0].direct);
  EXPECT_EQ(transfers[1].address, 0x12u);
  EXPECT_EQ(transfers[1].data, std::vector<std::uint8_t>{0x34});
  EXPECT_EQ(host_.trace().Lines()[0], "t=0 CMD52 R fn=1 reg=0x0 5a status=0 arg=0x10000000");
}

TEST_F(SdHostTest, SlotChangesAndInterruptsReachTheListener) {
  CountingListener listener;
  host_.SetListener(&listener);
  std::array<std::uint8_t, 8> data{};
  EXPECT_EQ(host_.Execute(53, 0x9400CC08, data).status, SdStatus::NoCard);
  EXPECT_EQ(host_.trace().Lines().back(), "t=0 CMD53 W fn=1 reg=0x66 00 00 00 00 00 00 00 00 status=1 arg=0x9400CC08");

  hw::SdCardInfo info;
  info.interfaceMode = 1;
  info.clockHz = 20'000'000;
  card_->SetInfo(info);
  ASSERT_TRUE(host_.Insert(card_));
  EXPECT_FALSE(host_.Insert(std::make_shared<hw::ScriptedCard>()));  // one slot
  EXPECT_EQ(host_.Interface().mode, 1u);
  EXPECT_EQ(host_.Interface().clockHz, 20'000'000u);
  card_->RaiseInterrupt();
  EXPECT_EQ(host_.Remove(), card_);
  EXPECT_FALSE(card_->Powered());
  card_->RaiseInterrupt();  // a card out of the slot has no line to raise
  EXPECT_EQ(host_.Remove(), nullptr);
  EXPECT_EQ(listener.inserted, 1);
  EXPECT_EQ(listener.removed, 1);
  EXPECT_EQ(listener.interrupts, 1);
  host_.SetListener(nullptr);
}

}  // namespace

// The trace keeps the latest lines in memory for the dump: past that many,
// the oldest give way and the rest stay in bus order, the newest last.
TEST(BusTraceTest, KeepsTheLatestRequestsInOrder) {
  hw::BusTrace trace;
  const std::size_t total = hw::BusTrace::kMemoryLines + 3;
  // Each request's bytes are its own, though the caller's buffer is reused.
  std::uint8_t byte = 0;
  for (std::size_t i = 0; i < total; ++i) {
    byte = static_cast<std::uint8_t>(i);
    trace.Record({i, hw::kCmdIoRwDirect, 0x10000000, hw::SdStatus::Ok, std::span(&byte, 1)});
  }
  std::vector<std::string> lines = trace.Lines();
  ASSERT_EQ(lines.size(), hw::BusTrace::kMemoryLines);
  EXPECT_EQ(lines.front(), "t=3 CMD52 R fn=1 reg=0x0 03 status=0 arg=0x10000000");
  EXPECT_EQ(lines[1], "t=4 CMD52 R fn=1 reg=0x0 04 status=0 arg=0x10000000");
  EXPECT_EQ(lines.back(), "t=4098 CMD52 R fn=1 reg=0x0 02 status=0 arg=0x10000000");
  trace.Clear();
  const std::uint8_t block[3] = {1, 2, 0xAB};
  trace.Record({7, hw::kCmdIoRwExtended, 0x94000003, hw::SdStatus::OutOfRange, block});
  EXPECT_EQ(trace.Lines(), std::vector<std::string>{"t=7 CMD53 W fn=1 reg=0x0 01 02 ab status=4 arg=0x94000003"});

  // A transfer longer than a register block keeps all its bytes, and the
  // short request that later takes its place in the ring shows only its own.
  trace.Clear();
  std::uint8_t longer[20];
  for (std::uint8_t i = 0; i < 20; ++i) longer[i] = i;
  trace.Record({9, hw::kCmdIoRwExtended, 0x94000014, hw::SdStatus::Ok, longer});
  EXPECT_EQ(trace.Lines().back(),
            "t=9 CMD53 W fn=1 reg=0x0 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 status=0 "
            "arg=0x94000014");
  for (std::size_t i = 0; i < hw::BusTrace::kMemoryLines; ++i)
    trace.Record({10, hw::kCmdIoRwExtended, 0x94000003, hw::SdStatus::Ok, block});
  EXPECT_EQ(trace.Lines().back(), "t=10 CMD53 W fn=1 reg=0x0 01 02 ab status=0 arg=0x94000003");
}
