#pragma once
// Lets GoogleTest show variants in failure messages.
#include <ostream>

#include "platform/automation.hpp"

namespace zirok::platform {

inline void PrintTo(const Variant& v, std::ostream* os) {
    if (v.isByRef()) *os << "byref ";
    const Variant& x = v.value();
    switch (x.type()) {
        case VarType::Empty:
            *os << "empty";
            break;
        case VarType::I4:
            *os << "I4 " << x.asInt();
            break;
        case VarType::Bool:
            *os << "Bool " << x.asVariantBool();
            break;
        case VarType::Cy:
            *os << "Cy " << x.asCurrency().value;
            break;
        case VarType::BStr:
            *os << "BStr \"";
            for (char16_t c : x.asString()) {
                if (c < 0x80) {
                    *os << static_cast<char>(c);
                } else {
                    *os << "\\u" << std::hex << static_cast<unsigned>(c) << std::dec;
                }
            }
            *os << "\"";
            break;
        case VarType::Dispatch:
            *os << "Dispatch " << x.asDispatch().get();
            break;
    }
}

}  // namespace zirok::platform
