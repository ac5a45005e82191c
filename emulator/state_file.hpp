#pragma once
#include <string>

#include "emulator/register_state.hpp"

// The register's memory on disk, so a demo register keeps its shift,
// counters, tables, open document and fiscal archive across runs. A plain
// text file, one record a line, texts as hexadecimal; written whole to a
// temporary file and renamed over the old one, so a crash never leaves half
// of it.
namespace zirok::emulator {

std::string serializeState(const RegisterState& state);
// Fills `state` from the text; throws std::runtime_error naming the bad line.
// What a power cycle clears (the working day, the host's clock, the tape) is
// not part of it and stays as it was.
void parseState(const std::string& text, RegisterState& state);

void saveState(const RegisterState& state, const std::string& path);
// False when there is no such file; throws when it cannot be read or parsed.
bool loadState(RegisterState& state, const std::string& path);

}  // namespace zirok::emulator
