// The SD bus driver's client interface. A client driver reaches the bus
// only through the function table below: the bus device handle it finds
// in its active registry key ("ClientInfo") points at a record whose first
// word is the bus driver's entry that fills the table.
//
// Every operation returns a bus status; a negative status is a failure.
// Slot events and card interrupts are delivered on the bus driver's own
// thread.
#pragma once

#include "windef.h"

typedef UCHAR* PUCHAR;

typedef LONG SD_API_STATUS;
#define SD_API_SUCCESS(status) ((SD_API_STATUS)(status) >= 0)

#define SD_API_STATUS_SUCCESS ((SD_API_STATUS)0x00000000L)
#define SD_API_STATUS_UNSUCCESSFUL ((SD_API_STATUS)0xC0000001L)
#define SD_API_STATUS_INVALID_PARAMETER ((SD_API_STATUS)0xC0000002L)
// The card is not one the client can work with.
#define SD_API_STATUS_DEVICE_UNSUPPORTED ((SD_API_STATUS)0xC0000003L)
#define SD_API_STATUS_DEVICE_REMOVED ((SD_API_STATUS)0xC0000004L)
#define SD_API_STATUS_INVALID_HANDLE ((SD_API_STATUS)0xC0000005L)
#define SD_API_STATUS_NOT_IMPLEMENTED ((SD_API_STATUS)0xC0000006L)
// The card answered with an error in its response.
#define SD_API_STATUS_DEVICE_RESPONSE_ERROR ((SD_API_STATUS)0xC0000007L)
// The function has not been enabled for data transfers.
#define SD_API_STATUS_FUNCTION_NOT_ENABLED ((SD_API_STATUS)0xC0000008L)

typedef struct _SD_BUS_DEVICE* SD_DEVICE_HANDLE;

typedef enum {
  SD_INFO_REGISTER_OCR = 0,
  SD_INFO_REGISTER_CID = 1,
  SD_INFO_REGISTER_CSD = 2,
  SD_INFO_REGISTER_RCA = 3,  // WORD
  SD_INFO_REGISTER_IO_OCR = 4,
  SD_INFO_CARD_INTERFACE = 5,  // SD_CARD_INTERFACE
  SD_INFO_CARD_STATUS = 6,
  SD_INFO_SDIO = 7,  // SDIO_CARD_INFO
} SD_INFO_TYPE;

typedef enum {
  SD_IO_FUNCTION_ENABLE = 0,     // SD_IO_FUNCTION_ENABLE_INFO
  SD_IO_FUNCTION_DISABLE = 1,    // no data
  SD_IO_FUNCTION_SET_BLOCK_SIZE = 2,  // DWORD
  SD_SET_CARD_INTERFACE = 4,     // SD_CARD_INTERFACE
} SD_SET_FEATURE_TYPE;

typedef enum { SD_INTERFACE_SD_MMC_1BIT = 0, SD_INTERFACE_SD_4BIT = 1 } SD_INTERFACE_MODE;

typedef struct _SD_CARD_INTERFACE {
  DWORD InterfaceMode;  // SD_INTERFACE_MODE
  ULONG ClockRate;      // Hz
  BOOL WriteProtected;
} SD_CARD_INTERFACE, *PSD_CARD_INTERFACE;

typedef struct _SDIO_CARD_INFO {
  UCHAR FunctionNumber;
  UCHAR DeviceCode;
  WORD Reserved;
  DWORD CISPointer;
  DWORD CSAPointer;
  UCHAR CardCapability;
  UCHAR Reserved2[3];
} SDIO_CARD_INFO, *PSDIO_CARD_INFO;

typedef struct _SD_IO_FUNCTION_ENABLE_INFO {
  ULONG ReadyRetryCount;
  ULONG ReadyInterval;  // ms
} SD_IO_FUNCTION_ENABLE_INFO, *PSD_IO_FUNCTION_ENABLE_INFO;

static_assert(sizeof(SD_CARD_INTERFACE) == 12);
static_assert(sizeof(SDIO_CARD_INFO) == 16);
static_assert(sizeof(SD_IO_FUNCTION_ENABLE_INFO) == 8);

typedef enum { SD_READ = 0, SD_WRITE = 1, SD_COMMAND = 2 } SD_TRANSFER_CLASS;
typedef enum { SD_IO_READ = 0, SD_IO_WRITE = 1 } SD_IO_TRANSFER_TYPE;

typedef enum {
  NoResponse = 0,
  ResponseR1 = 1,
  ResponseR1b = 2,
  ResponseR2 = 3,
  ResponseR3 = 4,
  ResponseR4 = 5,
  ResponseR5 = 6,
  ResponseR6 = 7,
} SD_RESPONSE_TYPE;

// An R5 response: ResponseBuffer[0] is the register byte (CMD52),
// ResponseBuffer[1] the response flags.
typedef struct _SD_COMMAND_RESPONSE {
  SD_RESPONSE_TYPE ResponseType;
  UCHAR ResponseBuffer[17];
} SD_COMMAND_RESPONSE, *PSD_COMMAND_RESPONSE;

#define SD_IO_RW_DIRECT 52
#define SD_IO_RW_EXTENDED 53

typedef enum { SDCardEventNone = 0, SDCardEjected = 1 } SD_SLOT_EVENT_TYPE;

typedef void (*PSD_SLOT_EVENT_CALLBACK)(SD_DEVICE_HANDLE hDevice, PVOID pContext, SD_SLOT_EVENT_TYPE SlotEventType,
                                        PVOID pData, DWORD DataLength);
typedef SD_API_STATUS (*PSD_INTERRUPT_CALLBACK)(SD_DEVICE_HANDLE hDevice, PVOID pContext);

typedef struct _SDCARD_CLIENT_REGISTRATION_INFO {
  WCHAR ClientName[32];
  PSD_SLOT_EVENT_CALLBACK pSlotEventCallBack;
  DWORD ClientFlags;
  DWORD Reserved;
} SDCARD_CLIENT_REGISTRATION_INFO, *PSDCARD_CLIENT_REGISTRATION_INFO;

typedef SD_API_STATUS (*PSD_REGISTER_CLIENT)(SD_DEVICE_HANDLE, PVOID, PSDCARD_CLIENT_REGISTRATION_INFO);
typedef SD_API_STATUS (*PSD_CARD_INFO_QUERY)(SD_DEVICE_HANDLE, SD_INFO_TYPE, PVOID, ULONG);
typedef SD_API_STATUS (*PSD_SET_CARD_FEATURE)(SD_DEVICE_HANDLE, SD_SET_FEATURE_TYPE, PVOID, ULONG);
typedef SD_API_STATUS (*PSD_SYNCHRONOUS_BUS_REQUEST)(SD_DEVICE_HANDLE, UCHAR, DWORD, SD_TRANSFER_CLASS,
                                                     SD_RESPONSE_TYPE, PSD_COMMAND_RESPONSE, ULONG, ULONG, PUCHAR,
                                                     DWORD);
typedef SD_API_STATUS (*PSD_READ_WRITE_REGISTERS_DIRECT)(SD_DEVICE_HANDLE, SD_IO_TRANSFER_TYPE, UCHAR, DWORD, BOOL,
                                                         PUCHAR, ULONG);
typedef SD_API_STATUS (*PSD_IO_CONNECT_INTERRUPT)(SD_DEVICE_HANDLE, PSD_INTERRUPT_CALLBACK);
typedef void (*PSD_IO_DISCONNECT_INTERRUPT)(SD_DEVICE_HANDLE);

typedef struct _SDCARD_API_FUNCTIONS {
  DWORD dwSize;
  PSD_REGISTER_CLIENT pSDRegisterClient;
  PSD_CARD_INFO_QUERY pSDCardInfoQuery;
  PSD_SET_CARD_FEATURE pSDSetCardFeature;
  PSD_SYNCHRONOUS_BUS_REQUEST pSDSynchronousBusRequest;
  PSD_READ_WRITE_REGISTERS_DIRECT pSDReadWriteRegistersDirect;
  PSD_IO_CONNECT_INTERRUPT pSDIOConnectInterrupt;
  PSD_IO_DISCONNECT_INTERRUPT pSDIODisconnectInterrupt;
} SDCARD_API_FUNCTIONS, *PSDCARD_API_FUNCTIONS;

// The first word of the record a bus device handle points at.
typedef SD_API_STATUS (*PSD_GET_CLIENT_FUNCTIONS)(PSDCARD_API_FUNCTIONS pFunctions);
