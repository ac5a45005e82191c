#pragma once
// The control object's side of the events: the dispatch zirokctl hands to
// OpenService. Every call the service object makes on it becomes one line.
#include <functional>
#include <string>

#include "platform/automation.hpp"

namespace zirok::ctl {

class EventSink final : public platform::Dispatch {
  public:
    static constexpr platform::DispId kSOError = 3;
    static constexpr platform::DispId kSOStatusUpdate = 5;

    explicit EventSink(std::function<void(const std::string&)> writeLine)
        : writeLine_(std::move(writeLine)) {}

    std::optional<platform::DispId> getIdsOfNames(std::u16string_view name) const override;
    // Writes the event's line; by-reference arguments (the error response) are
    // printed and left as they came.
    platform::Variant invoke(platform::DispId id, unsigned kind,
                             std::vector<platform::Variant>& args) override;

  private:
    std::function<void(const std::string&)> writeLine_;
};

}  // namespace zirok::ctl
