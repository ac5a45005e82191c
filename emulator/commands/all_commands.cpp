#include "emulator/commands/commands.hpp"

namespace zirok::emulator {

void defineAllCommands(RegisterModel& model) {
    defineStatusCommands(model);
    defineClockCommands(model);
    defineQueryCommands(model);
    defineTableCommands(model);
    defineDocumentCommands(model);
    defineReceiptCommands(model);
    definePrintCommands(model);
    definePictureCommands(model);
    defineReportCommands(model);
    defineFnCommands(model);
    defineMarkCodeCommands(model);
}

}  // namespace zirok::emulator
