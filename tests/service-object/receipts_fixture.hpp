#pragma once
// A service object in a fresh register with a fresh registry and trace
// folder, with the receipt flow's own state at hand.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "emulator_process.hpp"
#include "tests/service-object/core_fixture.hpp"

namespace zirok::so::testing {

// Instance fields the receipt flow reads, reached as the settings code sets them.
struct ReceiptAccess : TSOZirok {
    using TSOZirok::autoZ_;
    using TSOZirok::paymentTypeMap_;
};

class ReceiptTest : public RegisterTest {
  protected:
    void SetUp() override {
        RegisterTest::SetUp();
        link().pending.delayedTotal = false;
        context().cutAfterDocument = true;
        link().pending = {};
        // Answers are read after every command unless a case asks for packages.
        link().setPackageMode(false);
        control = std::make_shared<RecordingControl>();
        zirok->controlObject_ = control;
        zirok->props().setNumber(pidx::FreezeEvents, 0);
        zirok->props().setNumber(pidx::DataEventEnabled, 1);
    }
    void TearDown() override {
        link().pending.delayedTotal = false;
        link().setPackageMode(false);
    }

    protocol::RegisterLink& link() { return context().link; }
    template <typename T>
    T& field(T TSOZirok::*member) {
        return (*zirok).*member;
    }
    const emulator::Document& document() { return *state().document; }

    void open(std::int32_t receiptType = 4) {
        zirok->props().setNumber(pidx::FptrFiscalReceiptType, receiptType);
        ASSERT_EQ(zirok->BeginFiscalReceipt(true), opos::SUCCESS)
            << ansi(text(pidx::CheckHealthText));
        ASSERT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT);
    }
    // One item of `quantity` thousandths at `unitPrice`, billed at unit × quantity.
    void item(std::int64_t unitPrice, std::int32_t quantity = 1000, std::int32_t vat = 1) {
        ASSERT_EQ(zirok->PrintRecItem(u"Товар", unitPrice * quantity / 1000, quantity, vat,
                                      unitPrice, u""),
                  opos::SUCCESS)
            << ansi(text(pidx::CheckHealthText));
    }

    // Status updates sent to the control object, in order.
    std::vector<std::int32_t> statusUpdates() const {
        std::vector<std::int32_t> updates;
        for (const auto& call : control->calls)
            if (call.id == 5) updates.push_back(call.args.at(0));
        return updates;
    }

    zirok::testing::TempZirokHome home;
    logging::testing::ScratchFolder stateFolder;
    logging::testing::ScopedEnv stateHome{"XDG_STATE_HOME", stateFolder.path + "/"};
    std::shared_ptr<RecordingControl> control;
};

}  // namespace zirok::so::testing
