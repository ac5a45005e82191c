#include "emulator/register_state.hpp"

namespace zirok::emulator {

bool isReceipt(DocumentType type) {
    switch (type) {
        case DocumentType::Sale:
        case DocumentType::Return:
        case DocumentType::Purchase:
        case DocumentType::PurchaseReturn:
            return true;
        default:
            return false;
    }
}

Operation operationOf(DocumentType type) {
    switch (type) {
        case DocumentType::Return:
            return Operation::SaleReturn;
        case DocumentType::Purchase:
            return Operation::Purchase;
        case DocumentType::PurchaseReturn:
            return Operation::PurchaseReturn;
        default:
            return Operation::Sale;
    }
}

bool RegisterState::shiftOver24Hours() const {
    return shift.open && now() - shift.openedAt > kSecondsPerDay;
}

std::uint32_t RegisterState::lastDocumentNumber() const {
    return archive.empty() ? 0 : archive.back().number;
}

const StoredDocument* RegisterState::stored(std::uint32_t number) const {
    for (const StoredDocument& document : archive) {
        if (document.number == number) return &document;
    }
    return nullptr;
}

Status statusOf(const RegisterState& state) {
    using namespace status_bit;
    Status status;
    if (!state.workDayStarted) {
        status.fatal |= kFatalDayNotStarted;
        status.flags |= kFlagStartWorkNeeded;
    }
    if (!state.identity.fiscal) status.flags |= kFlagNonFiscal;
    if (state.shift.open) status.flags |= kFlagShiftOpen;
    if (state.shiftOver24Hours()) status.flags |= kFlagShiftOver24Hours | kFlagShiftMustClose;
    if (const auto& document = state.document) {
        status.doc = static_cast<std::uint32_t>(document->type) & kDocTypeMask;
        if (document->awaitingClose) {
            status.doc |= kDocAwaitingClose;
        } else if (isReceipt(document->type) || document->type == DocumentType::CashIn ||
                   document->type == DocumentType::CashOut) {
            switch (document->stage) {
                case Stage::Items:
                    break;
                case Stage::Subtotal:
                    status.doc |= kDocSubtotal;
                    break;
                case Stage::Payment:
                    status.doc |= kDocPayment;
                    break;
                case Stage::ReadyToClose:
                    status.doc |= kDocReadyToClose;
                    break;
            }
        }
    }
    return status;
}

}  // namespace zirok::emulator
