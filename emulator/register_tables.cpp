#include "emulator/register_tables.hpp"

#include <array>

#include "emulator/cp866_text.hpp"
#include "emulator/decimal.hpp"

namespace zirok::emulator {

namespace {

enum class Kind { Integer, Text, Rate };

struct Layout {
    int table;
    int first;
    int last;
    Kind kind;
    std::size_t limit;  // texts: the longest; integers: the largest value
};

constexpr Layout kLayouts[] = {
    {table::kPrintOptions, 0, 0, Kind::Integer, 255},
    {table::kNumbering, 0, 0, Kind::Integer, 255},
    {table::kCashControl, 0, 0, Kind::Integer, 255},
    {table::kPosNumber, 0, 0, Kind::Integer, 99999},
    {table::kHeader, 0, 9, Kind::Text, 56},
    {table::kTrailer, 0, 9, Kind::Text, 56},
    {table::kPaymentNames, 0, 15, Kind::Text, 24},
    {table::kTaxNames, 0, 5, Kind::Text, 24},
    {table::kTaxRates, 0, 5, Kind::Rate, 0},
    {table::kDepartments, 1, 16, Kind::Text, 24},
    {table::kDepartmentCaption, 0, 0, Kind::Text, 48},
    {table::kUserName, 0, 0, Kind::Text, 128},
    {table::kOfdAddress, 0, 0, Kind::Text, 64},
    {table::kOfdPort, 0, 0, Kind::Text, 8},
    {table::kOfdTimer, 0, 0, Kind::Text, 16},
    {table::kSettlementAddress, 0, 0, Kind::Text, 128},
    {table::kSettlementPlace, 0, 0, Kind::Text, 128},
    {table::kSenderEmail, 0, 0, Kind::Text, 64},
    {table::kKeyServerTimeout, 0, 0, Kind::Integer, 999},
    {201, 0, 0, Kind::Text, 64},
    {202, 0, 0, Kind::Text, 64},
    {203, 0, 0, Kind::Text, 64},
    {table::kOismTimeout, 0, 0, Kind::Integer, 999},
};

// Rates are held in hundredths of a percent and below 100 %.
constexpr std::int64_t kRateLimit = 10000;

const Layout* layoutOf(int table, int index) {
    for (const Layout& layout : kLayouts) {
        if (layout.table == table && index >= layout.first && index <= layout.last) return &layout;
    }
    return nullptr;
}

struct Default {
    int table;
    int index;
    const char* utf8;
};

// Factory settings. The tax entries follow the rate codes of the fiscal
// storage: 20 %, 10 %, 0 %, no VAT, 20/120, 10/110.
constexpr Default kDefaults[] = {
    {table::kPrintOptions, 0, "0"},
    {table::kNumbering, 0, "0"},
    // Bit 1 comes set from the factory; the driver clears it when it claims
    // the register.
    {table::kCashControl, 0, "2"},
    {table::kPosNumber, 0, "1"},
    {table::kHeader, 0, "ООО \"РОМАШКА\""},
    {table::kHeader, 1, "г. Москва, ул. Лесная, д. 5"},
    {table::kTrailer, 0, "СПАСИБО ЗА ПОКУПКУ!"},
    {table::kPaymentNames, 0, "НАЛИЧНЫМИ"},
    {table::kPaymentNames, 1, "БЕЗНАЛИЧНЫМИ"},
    {table::kPaymentNames, 2, "ПОДАРОЧНАЯ КАРТА"},
    {table::kPaymentNames, 3, "БОНУСЫ"},
    {table::kPaymentNames, 13, "АВАНС"},
    {table::kPaymentNames, 14, "КРЕДИТ"},
    {table::kPaymentNames, 15, "ВСТРЕЧНОЕ ПРЕДОСТ."},
    {table::kTaxNames, 0, "НДС 20%"},
    {table::kTaxNames, 1, "НДС 10%"},
    {table::kTaxNames, 2, "НДС 0%"},
    {table::kTaxNames, 3, "БЕЗ НДС"},
    {table::kTaxNames, 4, "НДС 20/120"},
    {table::kTaxNames, 5, "НДС 10/110"},
    {table::kTaxRates, 0, "20.00"},
    {table::kTaxRates, 1, "10.00"},
    {table::kTaxRates, 2, "0.00"},
    {table::kTaxRates, 3, "0.00"},
    {table::kTaxRates, 4, "20.00"},
    {table::kTaxRates, 5, "10.00"},
    {table::kDepartmentCaption, 0, "СУММЫ ПО СЕКЦИЯМ"},
    {table::kUserName, 0, "ООО \"РОМАШКА\""},
    {table::kOfdAddress, 0, "ofd.example.ru"},
    {table::kOfdPort, 0, "21101"},
    {table::kOfdTimer, 0, "60"},
    {table::kSettlementAddress, 0, "г. Москва, ул. Лесная, д. 5"},
    {table::kSettlementPlace, 0, "Магазин"},
    {table::kSenderEmail, 0, "kassa@example.ru"},
    {table::kKeyServerTimeout, 0, "8"},
    {201, 0, "oism.example.ru"},
    {202, 0, "19701"},
    {203, 0, "1"},
    {table::kOismTimeout, 0, "5"},
};

// The stored form of a value, or nullopt when it does not fit the entry.
std::optional<std::string> normalised(const Layout& layout, std::string_view value) {
    switch (layout.kind) {
        case Kind::Integer: {
            const auto number = parseInteger(value);
            if (!number || *number < 0 || *number > static_cast<std::int64_t>(layout.limit)) {
                return std::nullopt;
            }
            return std::to_string(*number);
        }
        case Kind::Rate: {
            const auto rate = parseScaled(value, 2);
            if (!rate || *rate < 0 || *rate >= kRateLimit) return std::nullopt;
            return formatScaled(*rate, 2);
        }
        case Kind::Text:
            if (value.size() > layout.limit) return std::nullopt;
            return std::string(value);
    }
    return std::nullopt;
}

}  // namespace

RegisterTables::RegisterTables() {
    for (const Layout& layout : kLayouts) {
        for (int index = layout.first; index <= layout.last; ++index) {
            entries_[{layout.table, index}] = layout.kind == Kind::Text ? "" : "0";
        }
    }
    for (int section = 1; section <= 16; ++section) {
        entries_[{table::kDepartments, section}] = utf8ToCp866("СЕКЦИЯ " + std::to_string(section));
    }
    for (const Default& entry : kDefaults) {
        entries_[{entry.table, entry.index}] = utf8ToCp866(entry.utf8);
    }
}

std::optional<std::string> RegisterTables::read(int table, int index) const {
    const auto found = entries_.find({table, index});
    if (found == entries_.end()) return std::nullopt;
    return found->second;
}

std::uint8_t RegisterTables::write(int table, int index, std::string_view value) {
    const Layout* layout = layoutOf(table, index);
    // Cash is always payment type 0 and keeps its name.
    if (!layout || (table == table::kPaymentNames && index == 0)) return 3;
    auto stored = normalised(*layout, value);
    if (!stored) return 3;
    entries_[{table, index}] = std::move(*stored);
    return 0;
}

bool RegisterTables::restore(int table, int index, std::string value) {
    const Layout* layout = layoutOf(table, index);
    if (!layout) return false;
    auto stored = normalised(*layout, value);
    if (!stored) return false;
    entries_[{table, index}] = std::move(*stored);
    return true;
}

std::int64_t RegisterTables::integer(int table, int index) const {
    return parseInteger(read(table, index).value_or("0")).value_or(0);
}

std::string RegisterTables::text(int table, int index) const {
    return read(table, index).value_or("");
}

std::int64_t RegisterTables::taxRate(int index) const {
    return parseScaled(read(table::kTaxRates, index).value_or("0"), 2).value_or(0);
}

}  // namespace zirok::emulator
