#include "RdsText.h"

#include <string.h>

static const WCHAR RECEIVING[] = TEXT("Receiving");
static const WCHAR NO_TEXT[] = TEXT("");

RdsText::RdsText(RadioDevice& radio)
    : textWindow(NULL),
      buffer(),
      textShown(FALSE),
      period(RDS_PERIOD_START),
      dotCount(0),
      previousLength(0),
      radio(radio),
      mainWindow(NULL) {}

RdsText::~RdsText() {}

void RdsText::Attach(HWND owner, HWND text) {
  mainWindow = owner;
  textWindow = text;
}

void RdsText::ShowRdsText() {
  radio.ResetRds();
  ClearBuffer();
  ShowWindow(textWindow, SW_SHOW);
  SetTimer(mainWindow, TIMER_RDS_TEXT, RDS_PERIOD_SHOWN, NULL);
  // Empty until the first tick.
  SetWindowTextW(textWindow, NO_TEXT);
  radio.ResetRds();
}

void RdsText::HideRdsText() {
  ShowWindow(textWindow, SW_HIDE);
  KillTimer(mainWindow, TIMER_RDS_TEXT);
  SetWindowTextW(textWindow, NO_TEXT);
  ClearBuffer();
  textShown = FALSE;
}

void RdsText::UpdateRdsText(HWND window) {
  FetchText();
  int length = lstrlenW(buffer);
  if (length > RDS_SHOW_LENGTH) ShowBuffer(window, length);
  AppendDeviceText();
  if (!textShown) ShowReceiving();
}

void RdsText::FetchText() { radio.FetchRdsText(); }

void RdsText::ClearBuffer() { memset(buffer, 0, sizeof buffer); }

// Drops the first line the window shows (the window still holds the text
// of the previous tick, a leading part of the buffer), so the text scrolls
// up one line per tick, then shows what is left.
void RdsText::ShowBuffer(HWND window, int length) {
  LRESULT secondLine = SendMessageW(textWindow, EM_LINEINDEX, 1, 0);
  if (secondLine < 0) secondLine = 0;
  // The window is editable and may disagree with the buffer: never drop
  // more than the buffer holds.
  int removed = secondLine > length ? length : (int)secondLine;
  memmove(buffer, buffer + removed, (size_t)(length - removed + 1) * sizeof(WCHAR));
  SetWindowTextW(textWindow, buffer);
  textShown = TRUE;
  int remaining = length - removed;
  ApplySpeedRule(window, remaining);
  previousLength = remaining;
}

// While the text keeps growing past what the window can scroll away, tick
// faster; once it has shrunk, return to the normal pace.
void RdsText::ApplySpeedRule(HWND window, int length) {
  if (length > RDS_FAST_LENGTH) {
    if (previousLength < length) period -= RDS_PERIOD_STEP;
    if (period < 0) period = 0;
    SetTimer(window, TIMER_RDS_TEXT, (UINT)period, NULL);
  } else if (length < RDS_SLOW_LENGTH) {
    period = RDS_PERIOD_SHOWN;
    SetTimer(window, TIMER_RDS_TEXT, RDS_PERIOD_SHOWN, NULL);
  }
}

// Adds the device's text at the end, cut to what still fits before the
// buffer's terminator.
void RdsText::AppendDeviceText() {
  int length = lstrlenW(buffer);
  int room = RDS_BUFFER_CHARS - 1 - length;
  int added = 0;
  while (added < room && added < RDS_TEXT_CHARS && radio.rdsText[added] != 0) {
    buffer[length + added] = radio.rdsText[added];
    added++;
  }
  buffer[length + added] = 0;
}

void RdsText::ShowReceiving() {
  WCHAR line[RDS_RECEIVING_CHARS];
  int length = 0;
  for (; RECEIVING[length] != 0; length++) line[length] = RECEIVING[length];
  for (int dot = 0; dot < dotCount; dot++) line[length++] = TEXT('.');
  line[length] = 0;
  SetWindowTextW(textWindow, line);
  dotCount = (dotCount + 1) % RDS_DOT_CYCLE;
}
