#pragma once
// One service object driven as a point-of-sale host drives it: through its
// dispatch interface, by member name, with OPOS currency arguments.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.hpp"

namespace zirok::so::posix {
class ServiceObject;
}

namespace zirok::bench {

// The device key of "Zirok" on COM7 at 57600 baud, tracing off: the figures
// are the driver's cost, not the trace file's.
void writeDeviceKey(bool packageMode);

class FiscalPrinter {
  public:
    FiscalPrinter();
    ~FiscalPrinter();

    std::int32_t call(std::u16string_view method, std::vector<platform::Variant> args);
    // Opened, claimed and enabled for sales receipts; what failed, or empty.
    std::string start();
    void stop();

  private:
    std::shared_ptr<so::posix::ServiceObject> object_;
    std::shared_ptr<platform::Dispatch> fiscal_;
};

// One whole sales receipt of `items` lines paid by card to the kopeck; the
// first failing call's method and result, or empty. A non-cash payment above
// what the register counted is refused, so an item lost on the way fails it.
std::string sellReceipt(FiscalPrinter& fp, int items);

}  // namespace zirok::bench
