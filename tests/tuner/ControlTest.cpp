// The control-code dispatcher's buffers and the radio device on top of it.
#include <cstring>

#include "RadioDevice.h"
#include "TunerFixture.h"

namespace {

using ControlTest = TunerFixture;
using RadioDeviceTest = TunerFixture;

int Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength, DWORD* returned = nullptr) {
  DWORD count = 0xDEAD;
  int r = TunerControl(code, in, inLength, out, outLength, returned ? returned : &count);
  return r;
}

TEST_F(ControlTest, InputsAreReadAtTheirWidths) {
  auto card = OpenWithStatusCard();
  // 8-bit band: only the first byte counts.
  BYTE band[4] = {2, 1, 0, 0};
  EXPECT_EQ(Control(TUNER_CTL_SET_BAND, band, 2, nullptr, 0), 1);
  EXPECT_EQ(tunerState.band, BAND_JAPAN);
  BYTE seven = 7;
  EXPECT_EQ(Control(TUNER_CTL_SET_BAND, &seven, 1, nullptr, 0), 1);
  EXPECT_EQ(tunerState.band, 7);
  EXPECT_EQ(tunerState.bandLower, 875);
  EXPECT_TRUE(Requests().empty());

  // 32-bit frequency word: the low 16 bits.
  BYTE frequency[4] = {0x38, 0x04, 0x01, 0x00};  // 0x10438: 1080
  EXPECT_EQ(Control(TUNER_CTL_SET_FREQUENCY, frequency, 4, nullptr, 0), 1);
  EXPECT_EQ(tunerState.currentFrequency, 1080);

  // 32-bit volume word: the low 8 bits; 0x150 is 80, taken as 79.
  DWORD volume = 0x150;
  EXPECT_EQ(Control(TUNER_CTL_SET_VOLUME, &volume, 4, nullptr, 0), 1);
  EXPECT_EQ(tunerState.volumeLevel, 79);
  EXPECT_EQ(RequestsTo(hw::RadioCard::kRegVolume).size(), 32u + 8u);

  // 16-bit seek direction: the bytes after it are not read.
  BYTE up[4] = {1, 0, 0xFF, 0xFF};
  DWORD out[2] = {};
  EXPECT_EQ(Control(TUNER_CTL_SEEK, up, 4, out, 8), 1);
  EXPECT_EQ(out[0], 1080u);  // from the top edge the search cannot go on
  EXPECT_EQ(out[1], 0u);

  DWORD on = 1, off = 0;
  EXPECT_EQ(Control(TUNER_CTL_SET_MONO, &on, 4, nullptr, 0), 1);
  EXPECT_EQ(tunerState.image[2] & W2_MONO, W2_MONO);
  EXPECT_EQ(Control(TUNER_CTL_SET_MUTE, &on, 4, nullptr, 0), 1);
  EXPECT_EQ(tunerState.image[3] & W3_AUDIO_MUTE, W3_AUDIO_MUTE);
  EXPECT_EQ(Control(TUNER_CTL_SET_MUTE, &off, 4, nullptr, 0), 1);
  EXPECT_EQ(tunerState.image[3] & W3_AUDIO_MUTE, 0);
  host_.trace().Clear();
  EXPECT_EQ(Control(TUNER_CTL_SET_POWER, &on, 4, nullptr, 0), 1);
  EXPECT_EQ(RequestsTo(hw::RadioCard::kRegSwitches).size(), 2u);
}

TEST_F(ControlTest, OutputsHaveTheirWidthsAndNoMore) {
  auto card = OpenWithStatusCard();
  tunerState.currentFrequency = 1000;
  tunerState.lastTunedFrequency = 1000;
  BYTE out[12];
  std::memset(out, 0xEE, sizeof out);
  DWORD up = 1;
  EXPECT_EQ(Control(TUNER_CTL_STEP, &up, 4, out, 4), 1);
  EXPECT_EQ(out[0] | out[1] << 8, 1001);
  EXPECT_EQ(out[2], 0xEE);  // two bytes only
  EXPECT_EQ(out[3], 0xEE);

  card->QueueReply(Status(1001, 0, 20, false));  // the chip does not move
  std::memset(out, 0xEE, sizeof out);
  EXPECT_EQ(Control(TUNER_CTL_SEEK, &up, 4, out, 12), 1);
  DWORD words[2];
  std::memcpy(words, out, 8);
  EXPECT_EQ(words[0], 1002u);
  EXPECT_EQ(words[1], 1u);
  EXPECT_EQ(out[8], 0xEE);  // eight bytes only

  card->QueueReply(Status(1002, 12, 56, true));
  DWORD stereo = 7;
  EXPECT_EQ(Control(TUNER_CTL_GET_STEREO, nullptr, 0, &stereo, 4), 1);
  EXPECT_EQ(stereo, 1u);

  DWORD poll = 0x1234, returned = 0xDEAD;
  EXPECT_EQ(Control(TUNER_CTL_RDS_POLL, nullptr, 0, &poll, 4, &returned), 1);
  EXPECT_EQ(poll, 0u);
  EXPECT_EQ(returned, 4u);
  // A longer buffer: one word written, the whole length returned.
  DWORD polls[2] = {0x1234, 0x5678};
  EXPECT_EQ(Control(TUNER_CTL_RDS_POLL, nullptr, 0, polls, 8, &returned), 1);
  EXPECT_EQ(polls[0], 0u);
  EXPECT_EQ(polls[1], 0x5678u);
  EXPECT_EQ(returned, 8u);
}

TEST_F(ControlTest, CodesWithoutEffectAndUnknownCodesSucceed) {
  OpenWithStatusCard();
  TunerState before = tunerState;
  char text[128];
  std::memset(text, 'x', sizeof text);
  DWORD returned = 0xDEAD;
  WORD level = 3;
  DWORD flag = 1;
  EXPECT_EQ(Control(0x220000, nullptr, 0, nullptr, 0, &returned), 1);
  EXPECT_EQ(returned, 0u);
  EXPECT_EQ(Control(TUNER_CTL_SET_SEARCH_LEVEL, &level, 2, nullptr, 0), 1);
  EXPECT_EQ(Control(TUNER_CTL_SET_NOISE_CANCEL, &flag, 4, nullptr, 0), 1);
  EXPECT_EQ(Control(TUNER_CTL_RDS_START, nullptr, 0, nullptr, 0), 1);
  EXPECT_EQ(Control(TUNER_CTL_RDS_STOP, nullptr, 0, nullptr, 0), 1);
  EXPECT_EQ(Control(TUNER_CTL_RDS_GET_TEXT, nullptr, 0, text, 127, &returned), 1);
  EXPECT_EQ(returned, 0u);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(std::memcmp(tunerState.image, before.image, sizeof before.image), 0);
  EXPECT_EQ(tunerState.band, before.band);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(ControlTest, MissingOrShortBuffersAreRefusedAndNothingIsDone) {
  OpenWithStatusCard();
  DWORD word = 1;
  DWORD out[2];
  EXPECT_EQ(Control(TUNER_CTL_SET_MUTE, nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(Control(TUNER_CTL_SET_FREQUENCY, &word, 2, nullptr, 0), 0);
  EXPECT_EQ(Control(TUNER_CTL_SEEK, &word, 4, out, 4), 0);
  EXPECT_EQ(Control(TUNER_CTL_SEEK, &word, 1, out, 8), 0);
  EXPECT_EQ(Control(TUNER_CTL_STEP, &word, 4, nullptr, 0), 0);
  EXPECT_EQ(Control(TUNER_CTL_STEP, &word, 2, out, 2), 0);
  EXPECT_EQ(Control(TUNER_CTL_GET_STEREO, nullptr, 0, out, 2), 0);
  EXPECT_EQ(Control(TUNER_CTL_CHECK_PRESENT, nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(Control(TUNER_CTL_RDS_POLL, nullptr, 0, out, 3), 0);
  EXPECT_EQ(Control(TUNER_CTL_SET_BAND, &word, 0, nullptr, 0), 0);
  EXPECT_EQ(tunerState.band, BAND_EUROPE);
  EXPECT_TRUE(Requests().empty());
  // Without a place for the count the request is still carried out.
  EXPECT_EQ(TunerControl(TUNER_CTL_SET_BAND, &word, 4, nullptr, 0, nullptr), 1);
}

TEST_F(ControlTest, ThePresenceCheckWantsAnAnswerFromTheCard) {
  DWORD out = 0xFFFF;
  EXPECT_EQ(Control(TUNER_CTL_CHECK_PRESENT, nullptr, 0, &out, 4), 0);  // not open
  auto card = OpenWithStatusCard();
  EXPECT_EQ(Control(TUNER_CTL_CHECK_PRESENT, nullptr, 0, &out, 4), 1);
  EXPECT_EQ(out, 0u);
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_FALSE(Requests()[0].write);
  card->QueueStatus(hw::SdStatus::CardError);
  EXPECT_EQ(Control(TUNER_CTL_CHECK_PRESENT, nullptr, 0, &out, 4), 0);
}

TEST_F(RadioDeviceTest, AClosedDeviceRefusesTuningButKeepsSettings) {
  RadioDevice radio;
  radio.seekContinue = 2;
  EXPECT_EQ(radio.SeekUp(), 0);
  EXPECT_EQ(radio.SeekDown(), 0);
  EXPECT_EQ(radio.seekContinue, 2);
  EXPECT_EQ(radio.StepUp(), 0);
  EXPECT_EQ(radio.StepDown(), 0);
  EXPECT_EQ(radio.SetVolume(40), 0);
  EXPECT_EQ(radio.GetStereo(), 0);
  radio.SetFrequency(950);
  radio.SetMute(1);
  radio.SetPower(1);
  EXPECT_EQ(tunerState.currentFrequency, 875);
  EXPECT_FALSE(tunerState.volumeKnown);
  EXPECT_EQ(tunerState.image[3], 0);
  EXPECT_EQ(tunerState.request.switchWord, 0u);

  // Settings reach the tuner layer even so, clamped to what it knows.
  for (int band : {0, 1, 4, -3}) {
    EXPECT_EQ(radio.SetRadioSystem(band), 1);
    EXPECT_EQ(tunerState.band, BAND_EUROPE);
  }
  EXPECT_EQ(radio.SetRadioSystem(2), 1);
  EXPECT_EQ(tunerState.band, BAND_JAPAN);
  EXPECT_EQ(radio.SetRadioSystem(3), 1);
  EXPECT_EQ(tunerState.band, BAND_USA);
  EXPECT_EQ(radio.SetAudioOutputType(1), 1);
  EXPECT_EQ(tunerState.image[2] & W2_MONO, W2_MONO);
  EXPECT_EQ(radio.SetAudioOutputType(2), 1);
  EXPECT_EQ(tunerState.image[2] & W2_MONO, 0);
  EXPECT_EQ(radio.SetSearchLevel(-5), 1);
  EXPECT_EQ(radio.SetSearchLevel(9), 1);
  EXPECT_EQ(radio.SetStereoNoiseCancel(1), 1);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(RadioDeviceTest, ThePresenceCheckOpensAndClosesWithTheCard) {
  RadioDevice radio;
  EXPECT_EQ(radio.CheckPresent(), 0);  // empty slot: nothing to open
  EXPECT_FALSE(radio.opened);
  EXPECT_EQ(radio.CheckPresent(), 0);

  auto card = std::make_shared<StatusCard>();
  Insert(card);
  EXPECT_EQ(radio.CheckPresent(), 1);
  EXPECT_TRUE(radio.opened);
  EXPECT_TRUE(TunerChannel::IsOpen());

  // A card that stops answering: the channel is closed...
  Remove();
  EXPECT_EQ(radio.CheckPresent(), 0);
  EXPECT_FALSE(radio.opened);
  EXPECT_FALSE(TunerChannel::IsOpen());
  // ...and found again when it is back.
  Insert(card);
  EXPECT_EQ(radio.CheckPresent(), 1);
  EXPECT_TRUE(radio.opened);
  EXPECT_EQ(radio.Close(), 1);
  EXPECT_FALSE(TunerChannel::IsOpen());
}

TEST_F(RadioDeviceTest, AnOpenDeviceTunesThroughTheControlCodes) {
  auto card = OpenWithStatusCard();
  TunerChannel::Close();
  RadioDevice radio;
  radio.Open();
  ASSERT_TRUE(radio.opened);
  tunerState.currentFrequency = 1000;
  card->QueueReply(Status(1000, 0, 20, false));
  EXPECT_EQ(radio.SeekDown(), 999);
  EXPECT_EQ(radio.seekContinue, SEEK_CONTINUE_DOWN);
  card->QueueReply(Status(1013, 12, 56, true));
  card->QueueReply(Status(1013, 12, 56, true));
  EXPECT_EQ(radio.SeekUp(), 1013);
  EXPECT_EQ(radio.seekContinue, SEEK_STOP);
  EXPECT_EQ(radio.GetStereo(), 1);
  EXPECT_EQ(radio.StepUp(), 1014);
  EXPECT_EQ(radio.StepDown(), 1013);
  EXPECT_EQ(radio.SetVolume(45), 1);
  EXPECT_EQ(tunerState.volumeLevel, 45);
}

// Lets the platform's timers run until the clock has reached ms.
void RunMessagesUntil(hw::Clock& clock, std::uint64_t ms) {
  static bool done;
  done = false;
  UINT_PTR stop = SetTimer(nullptr, 0, static_cast<UINT>(ms - clock.NowMs()), [](HWND, UINT, UINT_PTR, DWORD) {
    done = true;
  });
  MSG msg;
  while (!done && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
  KillTimer(nullptr, stop);
}

TEST_F(RadioDeviceTest, TheRdsPollTimerRunsFromStartToStop) {
  RadioDevice radio;
  radio.rdsCount = 900;
  EXPECT_EQ(radio.HasRds(), 1);
  radio.rdsText[0] = u'x';
  radio.StartRds();  // resets the store
  EXPECT_EQ(radio.rdsCount, 0u);
  EXPECT_EQ(radio.rdsText[0], 0);
  EXPECT_EQ(radio.HasRds(), 0);

  // Each poll stores the count, which no RDS source ever raises.
  radio.rdsCount = 777;
  RunMessagesUntil(clock_, clock_.NowMs() + 150);
  EXPECT_EQ(radio.rdsCount, 0u);

  // Started again without a stop: still one timer, and the stop ends it.
  radio.StartRds();
  radio.StopRds();
  radio.rdsCount = 777;
  RunMessagesUntil(clock_, clock_.NowMs() + 500);
  EXPECT_EQ(radio.rdsCount, 777u);

  radio.rdsText[0] = u'x';
  radio.FetchRdsText();
  EXPECT_EQ(radio.rdsText[0], 0);
  radio.ResetRds();
  EXPECT_EQ(radio.HasRds(), 0);
}

}  // namespace
