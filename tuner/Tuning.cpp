#include "Tuning.h"

#include "TunerImage.h"

static void StartSearchBits(bool up) {
  tunerState.image[0] |= W0_MUTE | W0_SEARCH;
  if (up)
    tunerState.image[2] |= W2_SEARCH_UP;
  else
    tunerState.image[2] &= (BYTE)~W2_SEARCH_UP;
}

static void ClearSearchMode() { tunerState.image[0] &= (BYTE)~W0_SEARCH; }

// A weak stop is only a station when the IF counter says the chip sits on
// a carrier, both reads agree, the search really went forward, and the
// pilot tone is there.
static bool WeakStopAcceptable(const TunerStatus& status, int firstLevel, int moved) {
  if (status.ifCounter > IF_COUNTER_HIGH || status.ifCounter < IF_COUNTER_LOW) return false;
  int spread = firstLevel - status.level;
  if (spread < 0) spread = -spread;
  if (spread > LEVEL_SPREAD_MAX) return false;
  if (moved <= 0) return false;
  return status.stereo != 0;
}

bool StopIsStation(const TunerStatus& status, int firstLevel, int moved) {
  if (status.level >= STRONG_LEVEL || firstLevel >= STRONG_LEVEL) return true;
  return WeakStopAcceptable(status, firstLevel, moved);
}

// One reading where the tuner stands, judged as a stop a search reached
// there: both reads are this one, and the search counts as having moved.
bool StationHere() {
  ReadTunerStatus();
  return StopIsStation(tunerState.status, tunerState.status.level, 1);
}

// The caller has set the mute, search-mode and direction bits, so the
// first write starts the chip's search at start. Searches and their
// verification always run on the low side.
int TuneAndVerify(WORD start, bool up) {
  tunerState.highSideInjection = false;
  tunerState.targetFrequency = start;
  ProgramFrequency(start);
  Sleep(TUNER_SETTLE_MS);
  WORD stop = (WORD)ReadTunerStatus();
  int level1 = tunerState.status.level;
  tunerState.measuredFrequency = stop;
  if (stop == start) return VERIFY_NOT_MOVED;
  Sleep(TUNER_SETTLE_MS);
  // Re-tune plainly where the search stopped and measure there.
  ClearSearchMode();
  ProgramFrequency(stop);
  Sleep(TUNER_SETTLE_MS);
  ReadTunerStatus();
  int moved = up ? (int)stop - (int)start : (int)start - (int)stop;
  return StopIsStation(tunerState.status, level1, moved) ? VERIFY_ACCEPT : VERIFY_REJECT;
}

// Ends a seek on result: a plain tune with the search mode off. The mute
// bit stays as the search left it; the next tune that chooses the
// injection side clears it.
static WORD FinishSeek(WORD result) {
  ClearSearchMode();
  ProgramFrequency(result);
  Sleep(SEEK_FINAL_PAUSE_MS);
  return result;
}

static bool InBand(int frequency) {
  return frequency >= tunerState.bandLower && frequency <= tunerState.bandUpper;
}

// One seek from start toward a band end: the chip's search, one retry a
// channel further on when the stop fails the test, and the continuation
// flag that tells the caller whether to seek on.
static WORD SeekToward(WORD start, bool up) {
  const WORD end = up ? tunerState.bandUpper : tunerState.bandLower;
  const LONG onward = up ? SEEK_CONTINUE_UP : SEEK_CONTINUE_DOWN;
  const WORD next = (WORD)(up ? start + 1 : start - 1);
  const bool shortOfEnd = up ? start < end : start > end;
  if (!InBand(start)) {
    tunerState.seekContinue = SEEK_STOP;
    return FinishSeek(end);
  }
  StartSearchBits(up);
  int r = TuneAndVerify(start, up);
  if (r == VERIFY_NOT_MOVED) {
    tunerState.seekContinue = shortOfEnd ? onward : SEEK_STOP;
    return FinishSeek(shortOfEnd ? next : end);
  }
  if (r == VERIFY_REJECT) {
    StartSearchBits(up);
    r = TuneAndVerify(next, up);
  }
  WORD stop = tunerState.measuredFrequency;
  if (InBand(stop) && r == VERIFY_ACCEPT) {
    tunerState.seekContinue = SEEK_STOP;
    return FinishSeek(stop);
  }
  tunerState.seekContinue = shortOfEnd ? onward : SEEK_STOP;
  return FinishSeek(shortOfEnd ? stop : end);
}

WORD SeekUp(WORD start) { return SeekToward(start, true); }
WORD SeekDown(WORD start) { return SeekToward(start, false); }

// The band does not wrap: a seek that reaches an end stops there.
WORD Seek(int direction) {
  WORD start = tunerState.currentFrequency;
  tunerState.currentFrequency = direction != 0 ? SeekUp(start) : SeekDown(start);
  tunerState.lastTunedFrequency = tunerState.currentFrequency;
  return tunerState.currentFrequency;
}

// Probes the level on the low side at the frequency and two channels away
// (above, or below when the same frequency is tuned again), and takes the
// high side when the second probe is clearly stronger: a strong signal
// there would sit on the low side's image.
void SelectInjection(WORD frequency) {
  SetProbeMute(1);
  tunerState.highSideInjection = false;
  ProgramFrequency(frequency);
  Sleep(TUNER_SETTLE_MS);
  ReadTunerStatus();
  int a = tunerState.status.level;
  bool retune = frequency == tunerState.lastTunedFrequency;
  ProgramFrequency((WORD)(retune ? frequency - PROBE_OFFSET : frequency + PROBE_OFFSET));
  Sleep(TUNER_SETTLE_MS);
  ReadTunerStatus();
  int b = tunerState.status.level;
  tunerState.highSideInjection = b - a > HIGH_SIDE_MARGIN;
  ProgramFrequency(frequency);
  SetProbeMute(0);
}

static bool AtBandEdge(WORD frequency) {
  return frequency == tunerState.bandLower || frequency == tunerState.bandUpper;
}

// At a band edge there is no channel beyond to probe; the injection side
// in force is kept. The chip mute that a seek set is lifted there with the
// same write, as the probe would lift it elsewhere: a station found at the
// edge of the band must be heard.
static void TuneCurrent() {
  ClearSearchMode();
  if (AtBandEdge(tunerState.currentFrequency)) {
    tunerState.image[0] &= (BYTE)~W0_MUTE;
    ProgramFrequency(tunerState.currentFrequency);
  } else {
    SelectInjection(tunerState.currentFrequency);
  }
}

// Direction 1 up, 0 down, anything else tunes the current frequency again.
WORD Step(int direction) {
  WORD& current = tunerState.currentFrequency;
  if (direction == 1) {
    if (current < tunerState.bandUpper) current++;
    if (current >= tunerState.bandUpper) current = tunerState.bandUpper;
  } else if (direction == 0) {
    if (current > tunerState.bandLower) current--;
    if (current <= tunerState.bandLower) current = tunerState.bandLower;
  }
  TuneCurrent();
  tunerState.lastTunedFrequency = current;
  return current;
}

void SetFrequency(WORD frequency) {
  if (frequency > tunerState.bandUpper) frequency = tunerState.bandUpper;
  if (frequency < tunerState.bandLower) frequency = tunerState.bandLower;
  tunerState.currentFrequency = frequency;
  TuneCurrent();
  tunerState.lastTunedFrequency = frequency;
}
