// Free text and barcodes inside (or outside) a receipt, and voiding the
// whole receipt.
#include <string>

#include "platform/ansi_text.hpp"
#include "protocol/commands.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

bool fontEscapeAt4(std::string_view message) {
    return message.substr(3, 2) == "fT";
}

}  // namespace

std::int32_t TSOZirok::PrintRecMessage(const std::u16string& message) {
    std::string text = platform::wideToAnsi(message);
    logInfo("Begin PrintRecMessage");
    logInfo("Message='" + text + "'");
    resetErrorState();
    const bool inDocument = printerState() != fptr::PS_MONITOR;

    int attributes = 0;
    if (text.size() >= 2 && text[0] == '\x1b' && text[1] == '|') {
        std::int32_t barcode = opos::SUCCESS;
        if (printBarcodeEscape(text, false, inDocument, barcode)) return barcode;
        if (fontEscapeAt4(text)) {
            bool known = true;
            switch (text[2]) {
                case '1':
                    attributes = 0;
                    break;
                case '2':
                    attributes = 0x10;
                    break;
                case '3':
                    attributes = 0x20;
                    break;
                case '4':
                    attributes = 0x30;
                    break;
                case '5':
                    attributes = 1;
                    break;
                default:
                    known = false;
                    break;
            }
            if (known) text.erase(0, 5);
        }
    }
    const protocol::Result code =
        protocol::PrintMessage(link(), portName_, attributes, text, inDocument);
    const std::int32_t result = GetSystemError(code);
    logInfo("End PrintRecMessage");
    return result;
}

std::int32_t TSOZirok::PrintRecVoid(const std::u16string& description) {
    logInfo("Begin PrintRecVoid");
    logInfo("Description='" + platform::wideToAnsi(description) + "'");
    resetErrorState();
    std::int32_t result = opos::SUCCESS;
    const protocol::Result code = protocol::GetStatus(link(), portName_, status_);
    if (code != protocol::result::Ok) {
        result = GetSystemError(code);
    } else if ((status_.doc & 0x0F) > 1) {
        logInfo("(status.doc and 15) > 1 => Call DocumentAnnul");
        result = GetSystemError(protocol::DocumentAnnul(link(), portName_));
        if (result == opos::SUCCESS) {
            setPrinterState(fptr::PS_MONITOR);
            sendStatusUpdate();
        }
    }
    logInfo("End PrintRecVoid");
    return result;
}

}  // namespace zirok::so
