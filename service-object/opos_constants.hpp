#pragma once
// The published OPOS constant values the service object uses.
#include <cstdint>

namespace zirok::so {

namespace opos {
inline constexpr std::int32_t SUCCESS = 0;
inline constexpr std::int32_t E_CLOSED = 101;
inline constexpr std::int32_t E_CLAIMED = 102;
inline constexpr std::int32_t E_NOTCLAIMED = 103;
inline constexpr std::int32_t E_NOSERVICE = 104;
inline constexpr std::int32_t E_DISABLED = 105;
inline constexpr std::int32_t E_ILLEGAL = 106;
inline constexpr std::int32_t E_NOHARDWARE = 107;
inline constexpr std::int32_t E_OFFLINE = 108;
inline constexpr std::int32_t E_NOEXIST = 109;
inline constexpr std::int32_t E_EXISTS = 110;
inline constexpr std::int32_t E_FAILURE = 111;
inline constexpr std::int32_t E_TIMEOUT = 112;
inline constexpr std::int32_t E_BUSY = 113;
inline constexpr std::int32_t E_EXTENDED = 114;

inline constexpr std::int32_t S_CLOSED = 1;
inline constexpr std::int32_t S_IDLE = 2;
inline constexpr std::int32_t S_BUSY = 3;
inline constexpr std::int32_t S_ERROR = 4;

inline constexpr std::int32_t CH_INTERNAL = 1;
inline constexpr std::int32_t CH_EXTERNAL = 2;
inline constexpr std::int32_t CH_INTERACTIVE = 3;
}  // namespace opos

namespace efptr {
inline constexpr std::int32_t COVER_OPEN = 201;
inline constexpr std::int32_t JRN_EMPTY = 202;
inline constexpr std::int32_t REC_EMPTY = 203;
inline constexpr std::int32_t SLP_EMPTY = 204;
inline constexpr std::int32_t SLP_FORM = 205;
inline constexpr std::int32_t MISSING_DEVICES = 206;
inline constexpr std::int32_t WRONG_STATE = 207;
inline constexpr std::int32_t TECHNICAL_ASSISTANCE = 208;
inline constexpr std::int32_t CLOCK_ERROR = 209;
inline constexpr std::int32_t FISCAL_MEMORY_FULL = 210;
inline constexpr std::int32_t FISCAL_MEMORY_DISCONNECTED = 211;
inline constexpr std::int32_t FISCAL_TOTALS_ERROR = 212;
inline constexpr std::int32_t BAD_ITEM_QUANTITY = 213;
inline constexpr std::int32_t BAD_ITEM_AMOUNT = 214;
inline constexpr std::int32_t BAD_ITEM_DESCRIPTION = 215;
inline constexpr std::int32_t RECEIPT_TOTAL_OVERFLOW = 216;
inline constexpr std::int32_t BAD_VAT = 217;
inline constexpr std::int32_t BAD_PRICE = 218;
inline constexpr std::int32_t BAD_DATE = 219;
inline constexpr std::int32_t NEGATIVE_TOTAL = 220;
inline constexpr std::int32_t WORD_NOT_ALLOWED = 221;
inline constexpr std::int32_t BAD_LENGTH = 222;
inline constexpr std::int32_t MISSING_SET_CURRENCY = 223;
inline constexpr std::int32_t DAY_END_REQUIRED = 224;
}  // namespace efptr

namespace fptr {
// Printer states.
inline constexpr std::int32_t PS_MONITOR = 1;
inline constexpr std::int32_t PS_FISCAL_RECEIPT = 2;
inline constexpr std::int32_t PS_FISCAL_RECEIPT_TOTAL = 3;
inline constexpr std::int32_t PS_FISCAL_RECEIPT_ENDING = 4;
inline constexpr std::int32_t PS_FISCAL_DOCUMENT = 5;
inline constexpr std::int32_t PS_FIXED_OUTPUT = 6;
inline constexpr std::int32_t PS_ITEM_LIST = 7;
inline constexpr std::int32_t PS_LOCKED = 8;
inline constexpr std::int32_t PS_NONFISCAL = 9;
inline constexpr std::int32_t PS_REPORT = 10;
// Error levels.
inline constexpr std::int32_t EL_NONE = 1;
inline constexpr std::int32_t EL_RECOVERABLE = 2;
inline constexpr std::int32_t EL_FATAL = 3;
inline constexpr std::int32_t EL_BLOCKED = 4;
}  // namespace fptr

// Property indexes.
namespace pidx {
inline constexpr std::int32_t Claimed = 1;
inline constexpr std::int32_t DataEventEnabled = 2;
inline constexpr std::int32_t DeviceEnabled = 3;
inline constexpr std::int32_t FreezeEvents = 4;
inline constexpr std::int32_t OutputID = 5;
inline constexpr std::int32_t ResultCode = 6;
inline constexpr std::int32_t ResultCodeExtended = 7;
inline constexpr std::int32_t ServiceObjectVersion = 8;
inline constexpr std::int32_t State = 9;
inline constexpr std::int32_t CheckHealthText = 1000001;
inline constexpr std::int32_t DeviceDescription = 1000002;
inline constexpr std::int32_t DeviceName = 1000003;
inline constexpr std::int32_t ServiceObjectDescription = 1000004;

inline constexpr std::int32_t CashDrawerOpened = 1001;

inline constexpr std::int32_t Fptr(std::int32_t n) { return 16000 + n; }
inline constexpr std::int32_t FptrAmountDecimalPlaces = 16001;
inline constexpr std::int32_t FptrAsyncMode = 16002;
inline constexpr std::int32_t FptrCheckTotal = 16003;
inline constexpr std::int32_t FptrCountryCode = 16004;
inline constexpr std::int32_t FptrCoverOpen = 16005;
inline constexpr std::int32_t FptrDayOpened = 16006;
inline constexpr std::int32_t FptrDescriptionLength = 16007;
inline constexpr std::int32_t FptrDuplicateReceipt = 16008;
inline constexpr std::int32_t FptrErrorLevel = 16009;
inline constexpr std::int32_t FptrErrorOutID = 16010;
inline constexpr std::int32_t FptrErrorState = 16011;
inline constexpr std::int32_t FptrErrorStation = 16012;
inline constexpr std::int32_t FptrFlagWhenIdle = 16013;
inline constexpr std::int32_t FptrJrnEmpty = 16014;
inline constexpr std::int32_t FptrJrnNearEnd = 16015;
inline constexpr std::int32_t FptrMessageLength = 16016;
inline constexpr std::int32_t FptrNumHeaderLines = 16017;
inline constexpr std::int32_t FptrNumTrailerLines = 16018;
inline constexpr std::int32_t FptrNumVatRates = 16019;
inline constexpr std::int32_t FptrPrinterState = 16020;
inline constexpr std::int32_t FptrQuantityDecimalPlaces = 16021;
inline constexpr std::int32_t FptrQuantityLength = 16022;
inline constexpr std::int32_t FptrRecEmpty = 16023;
inline constexpr std::int32_t FptrRecNearEnd = 16024;
inline constexpr std::int32_t FptrRemainingFiscalMemory = 16025;
inline constexpr std::int32_t FptrSlpEmpty = 16026;
inline constexpr std::int32_t FptrSlpNearEnd = 16027;
inline constexpr std::int32_t FptrSlipSelection = 16028;
inline constexpr std::int32_t FptrTrainingModeActive = 16029;
inline constexpr std::int32_t FptrActualCurrency = 16030;
inline constexpr std::int32_t FptrContractorId = 16031;
inline constexpr std::int32_t FptrDateType = 16032;
inline constexpr std::int32_t FptrFiscalReceiptStation = 16033;
inline constexpr std::int32_t FptrFiscalReceiptType = 16034;
inline constexpr std::int32_t FptrMessageType = 16035;
inline constexpr std::int32_t FptrTotalizerType = 16036;

inline constexpr std::int32_t FptrErrorString = 1016001;
inline constexpr std::int32_t FptrPredefinedPaymentLines = 1016002;
inline constexpr std::int32_t FptrReservedWord = 1016003;
inline constexpr std::int32_t FptrAdditionalHeader = 1016004;
inline constexpr std::int32_t FptrAdditionalTrailer = 1016005;
inline constexpr std::int32_t FptrChangeDue = 1016006;
inline constexpr std::int32_t FptrPostLine = 1016007;
inline constexpr std::int32_t FptrPreLine = 1016008;
}  // namespace pidx

}  // namespace zirok::so
