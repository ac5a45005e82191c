#pragma once
// The register prints and stores code page 866; the service object works in
// Windows-1251. Only the Cyrillic letters, Ё, ё and № change; every other
// byte passes unchanged, so the length never changes.
#include <string>
#include <string_view>

namespace zirok::protocol {

std::string toDeviceText(std::string_view windows1251);
std::string fromDeviceText(std::string_view cp866);

void toDeviceTextInPlace(std::string& text);
void fromDeviceTextInPlace(std::string& text);

}  // namespace zirok::protocol
