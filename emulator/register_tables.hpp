#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The register's settings tables: numbered tables of numbered entries, each
// either an integer, a text (code page 866) or a tax rate.
namespace zirok::emulator {

namespace table {
inline constexpr int kPrintOptions = 1;  // bit 2: print the logo
inline constexpr int kNumbering = 2;     // bit 7: receipt numbers count returns too
inline constexpr int kCashControl = 5;   // bit 0: cash-out only from the drawer's cash
inline constexpr int kPosNumber = 10;
inline constexpr int kHeader = 30;
inline constexpr int kTrailer = 31;
inline constexpr int kPaymentNames = 32;
inline constexpr int kTaxNames = 40;
inline constexpr int kTaxRates = 41;
inline constexpr int kDepartments = 50;
inline constexpr int kDepartmentCaption = 51;
inline constexpr int kUserName = 71;
inline constexpr int kOfdAddress = 77;
inline constexpr int kOfdPort = 78;
inline constexpr int kOfdTimer = 80;
inline constexpr int kSettlementAddress = 81;
inline constexpr int kSettlementPlace = 82;
inline constexpr int kSenderEmail = 85;
inline constexpr int kKeyServerTimeout = 94;
inline constexpr int kOismTimeout = 204;
}  // namespace table

class RegisterTables {
  public:
    // Every table with its factory settings.
    RegisterTables();

    // The entry as the register answers it; nullopt when there is no such entry.
    std::optional<std::string> read(int table, int index) const;
    // A device error: 0, or 3 for no such entry or a value that does not fit it.
    std::uint8_t write(int table, int index, std::string_view value);

    std::int64_t integer(int table, int index = 0) const;
    std::string text(int table, int index = 0) const;
    // In hundredths of a percent.
    std::int64_t taxRate(int index) const;

    // Every entry, for saving; restore() refuses entries the tables lack.
    const std::map<std::pair<int, int>, std::string>& entries() const { return entries_; }
    bool restore(int table, int index, std::string value);

  private:
    std::map<std::pair<int, int>, std::string> entries_;
};

}  // namespace zirok::emulator
