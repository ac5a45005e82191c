#pragma once

namespace zirok::emulator {

class RegisterModel;

// Each group of the register's commands lives in its own file and registers
// itself through one of these.
void defineStatusCommands(RegisterModel& model);
void defineClockCommands(RegisterModel& model);
void defineQueryCommands(RegisterModel& model);
void defineTableCommands(RegisterModel& model);
void defineDocumentCommands(RegisterModel& model);
void defineReceiptCommands(RegisterModel& model);
void definePrintCommands(RegisterModel& model);
void definePictureCommands(RegisterModel& model);
void defineReportCommands(RegisterModel& model);
void defineFnCommands(RegisterModel& model);
void defineMarkCodeCommands(RegisterModel& model);

// Every command the emulated register knows.
void defineAllCommands(RegisterModel& model);

}  // namespace zirok::emulator
