#pragma once

namespace zirok::emulator {

class RegisterModel;

// Each group of the register's commands lives in its own file and registers
// itself through one of these.
void defineStatusCommands(RegisterModel& model);

// Every command the emulated register knows.
void defineAllCommands(RegisterModel& model);

}  // namespace zirok::emulator
