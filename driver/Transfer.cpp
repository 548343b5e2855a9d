// One TunerRequest command as one register-block transfer on the card:
// an SDIO extended command (CMD53) of 8 bytes, byte mode, incrementing
// address, to a register window of the card's function.
#include "Marvex.h"

// The value word of the volume and switch commands, followed by the four
// zero bytes that make up the rest of the 8-byte block the card expects.
// Shared by every context; written and sent under the request lock.
static DWORD valueBlock[2];

BOOL IsTunerCommand(DWORD command) { return command >= TUNER_CMD_WRITE && command <= TUNER_CMD_SET_SWITCHES; }

// Argument of CMD53: 31 write, 30..28 function, 27 byte mode (0),
// 26 incrementing address, 25..9 register, 8..0 byte count.
static DWORD ExtendedArgument(BOOL write, UCHAR function, DWORD reg, DWORD count) {
  return (write ? 0x80000000u : 0) | ((DWORD)(function & 7) << 28) | (1u << 26) | ((reg & 0x1FFFF) << 9) |
         (count & 0x1FF);
}

// Every transfer goes to the card's one I/O function, whatever the context
// was told before. The interrupt callback reads the field on the bus
// thread, so it is only written when it differs.
SD_API_STATUS TransferBlock(PBYTE request, DriverContext* context) {
  if (context->functionNumber != 1) context->functionNumber = 1;
  DWORD command;
  memcpy(&command, request, sizeof command);
  BOOL write = TRUE;
  DWORD reg;
  PUCHAR data;
  switch (command) {
    case TUNER_CMD_WRITE:
      reg = REG_TUNER_DATA;
      data = request + offsetof(TunerRequest, writeData);
      break;
    case TUNER_CMD_READ:
      reg = REG_TUNER_DATA;
      data = request + offsetof(TunerRequest, readData);
      write = FALSE;
      break;
    case TUNER_CMD_VOLUME_UP:
    case TUNER_CMD_VOLUME_DOWN:
      valueBlock[0] = command == TUNER_CMD_VOLUME_UP ? 1 : 0;
      reg = REG_VOLUME_STEP;
      data = (PUCHAR)valueBlock;
      break;
    case TUNER_CMD_SET_SWITCHES:
      memcpy(&valueBlock[0], request + offsetof(TunerRequest, switchWord), sizeof(DWORD));
      reg = REG_SWITCHES;
      data = (PUCHAR)valueBlock;
      break;
    default:
      return SD_API_STATUS_INVALID_PARAMETER;  // no such command: nothing goes to the card
  }
  SD_COMMAND_RESPONSE response;
  DWORD argument = ExtendedArgument(write, context->functionNumber, reg, TUNER_BLOCK_SIZE);
  return SDSynchronousBusRequest(context->busDevice, SD_IO_RW_EXTENDED, argument, write ? SD_WRITE : SD_READ,
                                 ResponseR5, &response, 1, TUNER_BLOCK_SIZE, data, 0);
}
