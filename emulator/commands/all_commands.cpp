#include "emulator/commands/commands.hpp"

namespace zirok::emulator {

void defineAllCommands(RegisterModel& model) {
    defineStatusCommands(model);
}

}  // namespace zirok::emulator
