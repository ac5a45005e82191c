#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/printouts.hpp"
#include "emulator/register_model.hpp"
#include "emulator/tape.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kLoadLogo = 0x15;
constexpr std::uint8_t kDeleteLogo = 0x16;
constexpr std::uint8_t kLoadPicture = 0x18;
constexpr std::uint8_t kPrintPicture = 0x55;
constexpr std::uint8_t kPrintStoredPicture = 0x56;
constexpr std::uint8_t kPrintPngPicture = 0x67;

constexpr char kEsc = 0x1B;
constexpr std::size_t kMaxLogoBytes = 65536;
constexpr std::size_t kMaxPngBytes = 11824;
constexpr int kPaperDots = 576;
constexpr int kMaxPictureHeight = 2048;
constexpr int kPictureSlots = 100;

std::optional<Picture> pictureShape(const FieldReader& fields) {
    const auto width = fields.integer(0);
    const auto height = fields.integer(1);
    if (!width || !height || *width < 8 || *width > kPaperDots || *width % 8 != 0 || *height < 1 ||
        *height > kMaxPictureHeight) {
        return std::nullopt;
    }
    return Picture{static_cast<int>(*width), static_cast<int>(*height), {}};
}

std::size_t rasterBytes(const Picture& picture) {
    return static_cast<std::size_t>(picture.width / 8 * picture.height);
}

bool alignmentOk(const FieldReader& fields, std::size_t index) {
    const auto alignment = fields.integerOr(index, 0);
    return alignment && *alignment >= 0 && *alignment <= 2;
}

// The logo lives in the printer's memory, which is rewritten only between shifts.
std::uint8_t logoMayChange(const RegisterState& state) {
    if (state.shift.open) return device_error::kShiftMustBeClosed;
    if (state.document) return device_error::kWrongState;
    return device_error::kNone;
}

Reply loadLogo(RegisterState& state, const Request& request) {
    if (const std::uint8_t error = logoMayChange(state)) return failure(error);
    const auto length = FieldReader(request).integer(0);
    if (!length || *length < 3 || static_cast<std::size_t>(*length) > kMaxLogoBytes) {
        return failure(device_error::kBadParameter);
    }
    return collectBlock(static_cast<std::size_t>(*length),
                        [](RegisterState& s, std::string_view block) {
                            // ESC, then a bitmap file.
                            if (block[0] != kEsc || block.substr(1, 2) != "BM") {
                                return failure(device_error::kBadParameter);
                            }
                            s.logo = std::string(block.substr(1));
                            return answer({});
                        });
}

Reply deleteLogo(RegisterState& state, const Request&) {
    if (const std::uint8_t error = logoMayChange(state)) return failure(error);
    state.logo.clear();
    return answer({});
}

Reply loadPicture(RegisterState& state, const Request& request) {
    if (state.document) return failure(device_error::kWrongState);
    const FieldReader fields(request);
    auto picture = pictureShape(fields);
    const auto slot = fields.integer(3);
    if (!picture || !slot || *slot < 0 || *slot >= kPictureSlots || fields.integer(4) != slot) {
        return failure(device_error::kBadParameter);
    }
    const std::size_t bytes = rasterBytes(*picture);
    return collectBlock(bytes, [picture = *picture, slot = static_cast<int>(*slot)](
                                   RegisterState& s, std::string_view block) mutable {
        picture.raster = std::string(block);
        s.pictures[slot] = std::move(picture);
        return answer({});
    });
}

Reply pictureCommand(RegisterState& state, const Request& request) {
    if (state.document && state.document->awaitingClose) return failure(device_error::kWrongState);
    const FieldReader fields(request);
    const auto picture = pictureShape(fields);
    if (!picture || !alignmentOk(fields, 2)) return failure(device_error::kBadParameter);
    if (const std::uint8_t error = printerError(state)) return failure(error);
    return collectBlock(rasterBytes(*picture),
                        [picture = *picture](RegisterState& s, std::string_view block) mutable {
                            picture.raster = std::string(block);
                            printPicture(s, picture, "КАРТИНКА");
                            return answer({});
                        });
}

Reply printStoredPicture(RegisterState& state, const Request& request) {
    if (state.document && state.document->awaitingClose) return failure(device_error::kWrongState);
    const FieldReader fields(request);
    const auto slot = fields.integer(1);
    if (!alignmentOk(fields, 0) || !slot) return failure(device_error::kBadParameter);
    const auto found = state.pictures.find(static_cast<int>(*slot));
    if (found == state.pictures.end()) return failure(device_error::kBadParameter);
    if (const std::uint8_t error = printerError(state)) return failure(error);
    printPicture(state, found->second, "КАРТИНКА " + std::to_string(*slot));
    return answer({});
}

Reply printPngPicture(RegisterState& state, const Request& request) {
    if (state.document && state.document->awaitingClose) return failure(device_error::kWrongState);
    const FieldReader fields(request);
    const auto length = fields.integer(0);
    const auto width = fields.integer(1);
    const auto height = fields.integer(2);
    if (!length || *length < 8 || static_cast<std::size_t>(*length) > kMaxPngBytes || !width ||
        !height || *width < 1 || *width > kPaperDots || *height < 1 || !alignmentOk(fields, 3)) {
        return failure(device_error::kBadParameter);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    return collectBlock(static_cast<std::size_t>(*length),
                        [w = *width, h = *height](RegisterState& s, std::string_view block) {
                            if (block.substr(1, 3) != "PNG") {
                                return failure(device_error::kBadParameter);
                            }
                            tape::print(s, "[PNG " + std::to_string(w) + "x" + std::to_string(h) +
                                               ", " + std::to_string(block.size()) + " байт]");
                            return answer({});
                        });
}

}  // namespace

void definePictureCommands(RegisterModel& model) {
    model.define(kLoadLogo, CommandKind::Plain, loadLogo);
    model.define(kDeleteLogo, CommandKind::Plain, deleteLogo);
    model.define(kLoadPicture, CommandKind::Plain, loadPicture);
    model.define(kPrintPicture, CommandKind::Plain, pictureCommand);
    model.define(kPrintStoredPicture, CommandKind::Plain, printStoredPicture);
    model.define(kPrintPngPicture, CommandKind::Plain, printPngPicture);
}

}  // namespace zirok::emulator
