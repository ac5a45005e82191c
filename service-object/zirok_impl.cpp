#include "service-object/zirok_impl.hpp"

#include <string>

#include "logging/client/logger.hpp"
#include "service-object/opos_constants.hpp"

namespace zirok::so {

// The instance fields start at their creation values where they are declared
// and the property store resets itself; what is left is the one value that
// differs from the store's reset. FreezeEvents stays 0: no device class is
// known yet, so neither control object can be missing.
TSOZirok::TSOZirok() {
    props_.setNumber(pidx::State, opos::S_CLOSED);
}

TSOZirok::~TSOZirok() {
    // The link is process-wide and outlives this instance: it must not keep
    // tracing into a logger that is about to go.
    if (logger_ && context().currentLogger == logger_.get()) {
        context().link.setTrafficLog(nullptr);
        context().currentLogger = nullptr;
    }
}

void TSOZirok::logInfo(std::string_view text) {
    if (logger_) logger_->LogInfo(std::string(text));
}

void TSOZirok::logWarning(std::string_view text) {
    if (logger_) logger_->LogWarning(std::string(text));
}

void TSOZirok::logError(std::string_view text) {
    if (logger_) logger_->LogError(std::string(text));
}

std::int32_t TSOZirok::printerState() const {
    return props_.number(pidx::FptrPrinterState);
}

void TSOZirok::setPrinterState(std::int32_t state) {
    props_.setNumber(pidx::FptrPrinterState, state);
}

}  // namespace zirok::so
