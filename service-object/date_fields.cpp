#include "service-object/date_fields.hpp"

#include "platform/ansi_text.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

std::int32_t dateField(const std::u16string& text, std::size_t first, std::size_t count) {
    const std::u16string piece = first < text.size() ? text.substr(first, count) : u"";
    std::int32_t value = 0;
    bool digits = !piece.empty();
    for (char16_t c : piece) {
        if (c < u'0' || c > u'9') {
            digits = false;
            break;
        }
        value = value * 10 + (c - u'0');
    }
    if (!digits)
        throw CallFailure("'" + platform::wideToAnsi(piece) + "' is not a valid integer value");
    return value;
}

}  // namespace zirok::so
