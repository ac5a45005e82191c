#include "tools/zirokctl/event_sink.hpp"

#include "tools/zirokctl/json_text.hpp"

namespace zirok::ctl {

std::optional<platform::DispId> EventSink::getIdsOfNames(std::u16string_view name) const {
    if (platform::namesEqual(name, std::string_view("SOError"))) return kSOError;
    if (platform::namesEqual(name, std::string_view("SOStatusUpdate"))) return kSOStatusUpdate;
    return std::nullopt;
}

platform::Variant EventSink::invoke(platform::DispId id, unsigned,
                                    std::vector<platform::Variant>& args) {
    // Whatever else a service object calls is still shown, under its id.
    const std::string name = id == kSOError          ? "SOError"
                             : id == kSOStatusUpdate ? "SOStatusUpdate"
                                                     : "dispid " + std::to_string(id);
    writeLine_(eventLine(name, args));
    return {};
}

}  // namespace zirok::ctl
