#pragma once
// What the report, non-fiscal, settings and drawer tests share: the
// in-process register with its working day started and answers read one by
// one (no package mode), and a service object whose report settings the
// test can reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/service-object/core_fixture.hpp"

namespace zirok::so::testing {

class ReportsProbe : public Probe {
  public:
    using TSOZirok::barcodeHeight_;
    using TSOZirok::barcodeWidth_;
    using TSOZirok::cashierName_;
    using TSOZirok::pendingVatRates_;
    using TSOZirok::qrCodeSize_;
    using TSOZirok::storeFiscalNumber_;
};

class ReportsTest : public RegisterTest {
  protected:
    void SetUp() override {
        RegisterTest::SetUp();
        context().link.setPackageMode(false);
        context().link.setConversionSetting(true);
        context().cutAfterDocument = true;
        state().workDayStarted = true;
        so = std::make_unique<ReportsProbe>();
    }

    // Opens a document on the register as another program would have left it.
    void openOnRegister(emulator::DocumentType type) {
        emulator::Document document;
        document.type = type;
        state().document = document;
    }

    // The tape printed so far, as UTF-8 lines.
    bool printed(const std::string& utf8) const {
        const auto& lines = reg->model.state().printed;
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(utf8) != std::string::npos;
        });
    }

    // Events the control object received: SOStatusUpdate carries the state.
    std::shared_ptr<RecordingControl> listen() {
        auto control = std::make_shared<RecordingControl>();
        so->controlObject_ = control;
        so->props().setNumber(pidx::DataEventEnabled, 1);
        so->props().setNumber(pidx::FreezeEvents, 0);
        return control;
    }

    std::int32_t prop(std::int32_t index) { return so->props().number(index); }
    const std::u16string& propText(std::int32_t index) { return so->props().string(index); }

    std::unique_ptr<ReportsProbe> so;
};

}  // namespace zirok::so::testing
