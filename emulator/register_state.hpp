#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "emulator/decimal.hpp"
#include "emulator/register_clock.hpp"
#include "emulator/register_tables.hpp"

namespace zirok::emulator {

// The three status words as the register reports them.
struct Status {
    std::uint32_t fatal = 0;
    std::uint32_t flags = 0;
    std::uint32_t doc = 0;
};

namespace status_bit {
inline constexpr std::uint32_t kFatalDayNotStarted = 0x40;
inline constexpr std::uint32_t kFlagStartWorkNeeded = 0x01;
inline constexpr std::uint32_t kFlagNonFiscal = 0x02;
inline constexpr std::uint32_t kFlagShiftOpen = 0x04;
inline constexpr std::uint32_t kFlagShiftOver24Hours = 0x08;
inline constexpr std::uint32_t kFlagShiftMustClose = 0x100;
inline constexpr std::uint32_t kDocTypeMask = 0x0F;
inline constexpr std::uint32_t kDocSubtotal = 0x10;
inline constexpr std::uint32_t kDocPayment = 0x20;
inline constexpr std::uint32_t kDocReadyToClose = 0x40;
inline constexpr std::uint32_t kDocAwaitingClose = 0x80;
}  // namespace status_bit

// Open document kinds, as the low bits of the doc word carry them.
enum class DocumentType : std::uint8_t {
    None = 0,
    Service = 1,
    Sale = 2,
    Return = 3,
    CashIn = 4,
    CashOut = 5,
    Purchase = 6,
    PurchaseReturn = 7,
};

// The four kinds of settlement a receipt records, in the order the counter
// requests 3..6 report them.
enum class Operation : std::uint8_t { Sale = 0, Purchase = 1, SaleReturn = 2, PurchaseReturn = 3 };

bool isReceipt(DocumentType type);
Operation operationOf(DocumentType type);

// Where an open receipt stands.
enum class Stage : std::uint8_t { Items, Subtotal, Payment, ReadyToClose };

// Flag bits of the document-opening field, above the type.
namespace open_flag {
inline constexpr std::uint32_t kPackage = 0x10;
inline constexpr std::uint32_t kModeA = 0x20;
inline constexpr std::uint32_t kModeB = 0x40;
inline constexpr std::uint32_t kOneShot = 0x80;
inline constexpr std::uint32_t kDelayedTotal = 0x100;
inline constexpr std::uint32_t kAll = 0x1F0;
}  // namespace open_flag

// Item adjustment signs: the line is lowered or raised by an amount.
inline constexpr int kAdjustmentNone = 0;
inline constexpr int kAdjustmentDiscount = 2;
inline constexpr int kAdjustmentSurcharge = 4;

// A marking code the storage checked and the seller accepted.
struct MarkAttachment {
    std::string code;
    int result = 0;
};

// One line of a receipt. Texts are in code page 866.
struct Item {
    std::string name;
    std::string article;
    std::int64_t quantity = 0;  // thousandths
    // A fractional quantity "numerator/denominator" of one unit; 0: none.
    std::int64_t numerator = 0;
    std::int64_t denominator = 0;
    std::int64_t priceMicro = 0;  // millionths
    int taxIndex = 0;
    bool printTax = false;
    int section = 0;
    int adjustmentSign = kAdjustmentNone;
    Kopecks adjustment = 0;
    std::string extraText;
    int paymentMethod = 4;
    int paymentObject = 1;
    std::string country;
    std::string customs;
    std::optional<MarkAttachment> mark;
};

// A discount or surcharge on the whole receipt, fixed in kopecks when given.
struct ReceiptAdjustment {
    bool discount = true;
    std::string name;
    Kopecks amount = 0;
};

struct Payment {
    int type = 0;
    Kopecks amount = 0;
};

// An attribute for the fiscal storage, written into the open receipt.
struct Requisite {
    int tag = 0;
    int flag = 0;
    std::string label;
    std::string value;
};

struct Document {
    DocumentType type = DocumentType::None;
    std::uint32_t flags = 0;  // open_flag bits
    int department = 1;
    std::string cashier;
    std::int64_t number = 0;
    int taxSystem = -1;  // -1: the registered default
    Stage stage = Stage::Items;
    std::vector<Item> items;
    std::vector<ReceiptAdjustment> adjustments;
    std::vector<Payment> payments;
    Kopecks cashAmount = 0;  // cash-in and cash-out documents
    std::vector<Requisite> requisites;
    std::vector<std::string> closingTexts;  // buyer and attribute texts given at the close
    std::int64_t reference = 0;             // a document issued again names its original
    // The fiscal storage has closed it, but the printer could not finish it.
    bool awaitingClose = false;
    std::uint32_t archivedNumber = 0;

    bool package() const { return (flags & open_flag::kPackage) != 0; }
};

// Per payment type 0..15.
using PaymentSums = std::array<Kopecks, 16>;

struct ShiftCounters {
    std::array<PaymentSums, 4> byOperation{};  // indexed by Operation
    std::array<int, 4> receipts{};
    std::array<Kopecks, 4> discounts{};
    std::array<Kopecks, 4> markups{};
    std::array<std::array<Kopecks, 6>, 4> taxes{};  // by tax index
    int annulled = 0;
    int corrections = 0;
    int cashIns = 0;
    int cashOuts = 0;
    Kopecks cashInSum = 0;
    Kopecks cashOutSum = 0;
    Kopecks voided = 0;
    int fiscalDocuments = 0;
    int serviceDocuments = 0;
};

struct Shift {
    bool open = false;
    std::uint32_t number = 0;  // the last shift opened
    Moment openedAt = 0;
    ShiftCounters counters;
};

// What the register and its fiscal storage are registered as.
struct Identity {
    std::string serialNumber = "00104600123456";
    std::string fnNumber = "9999078902004523";
    std::string inn = "7701234567";
    std::string regNumber = "0001234567012345";
    std::uint32_t taxSystems = 0x3F;  // every system the storage knows
    std::uint32_t workModes = 0;
    bool fiscal = true;  // false: factory-fresh, not registered yet
    Moment registeredAt = 0;
    std::array<int, 3> firmware{565, 1, 3};
};

// One document the fiscal storage signed: its TLVs, one top-level TLV a block.
struct StoredDocument {
    std::uint32_t number = 0;
    int type = 0;  // the storage's document type (3 a receipt, 5 a shift closing, ...)
    Moment when = 0;
    std::uint32_t sign = 0;
    std::vector<std::string> blocks;
    // Receipts only.
    DocumentType receiptType = DocumentType::None;
    Kopecks total = 0;
    std::uint32_t shift = 0;
    int receiptNumber = 0;
};

struct Marking {
    enum class Step : std::uint8_t { Idle, Validated, Accepted };
    Step step = Step::Idle;
    std::string code;
    int itemState = 0;
    int quantityMode = 0;
    int workMode = 0;
    std::string quantity;
    int lastResult = 0;
    // What the storage answers for the next code checked: bits 0-3 set is a
    // code checked and confirmed both by the storage and by the service.
    int resultToReport = 15;
    std::optional<MarkAttachment> forNextItem;
    int attachedInReceipt = 0;
    bool keysDue = false;
    Moment keysUpdatedAt = 0;
};

struct Picture {
    int width = 0;  // dots, a multiple of 8
    int height = 0;
    std::string raster;
};

// Where the reading of a stored document stands (GetFnInfo 15 and 16).
struct DocumentCursor {
    std::uint32_t number = 0;
    std::size_t nextBlock = 0;
};

// Everything the register remembers. The status words are derived from it
// (statusOf) rather than stored, so they can never contradict the state.
struct RegisterState {
    bool workDayStarted = false;
    // Register clock minus the host's wall clock.
    std::int64_t clockOffsetSeconds = 0;
    Moment lastFiscalMoment = 0;
    Shift shift;
    std::optional<Document> document;
    // First device error of an unanswered print-type command, for the next answer.
    std::uint8_t keptError = 0;
    bool drawerOpen = false;
    bool paperOut = false;
    bool coverOpen = false;
    Kopecks cashInDrawer = 0;
    std::array<Kopecks, 4> grandTotals{};  // by Operation, never reset
    Identity identity;
    RegisterTables tables;
    std::vector<StoredDocument> archive;
    Marking marking;
    std::string logo;  // the loaded logo's bitmap file; empty: none
    std::map<int, Picture> pictures;

    // Not kept across runs: the host's clock, the tape lines printed since
    // the owner last took them, and the reading position in the archive.
    std::function<Moment()> hostClock = hostWallClock;
    std::vector<std::string> printed;
    std::optional<DocumentCursor> cursor;

    Moment now() const { return hostClock() + clockOffsetSeconds; }
    bool packageDocument() const { return document && document->package(); }
    bool shiftOver24Hours() const;
    std::uint32_t lastDocumentNumber() const;
    const StoredDocument* stored(std::uint32_t number) const;
};

Status statusOf(const RegisterState& state);

}  // namespace zirok::emulator
