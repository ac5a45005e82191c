#pragma once
// The numeric and string property slots of one service object, indexed by
// OPOS property index, with the values they hold after creation.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zirok::so {

class PropertyStore {
public:
    PropertyStore();

    // Every slot to 0 or empty, then the reset values.
    void reset();

    static bool isNumberIndex(std::int32_t index);  // 1..503, 1001..16555
    static bool isStringIndex(std::int32_t index);  // 1000001..1000004, 1001001..1016008

    // Reads give 0 / empty and writes are ignored outside the ranges.
    std::int32_t number(std::int32_t index) const;
    void setNumber(std::int32_t index, std::int32_t value);
    const std::u16string& string(std::int32_t index) const;
    void setString(std::int32_t index, std::u16string value);

private:
    std::vector<std::int32_t> common_;  // 1..503
    std::vector<std::int32_t> device_;  // 1001..16555
    std::array<std::u16string, 4> commonStrings_;
    std::vector<std::u16string> deviceStrings_;  // 1001001..1016008
};

}  // namespace zirok::so
