#pragma once
// A scratch installation for the lifecycle tests: its own $ZIROK_HOME (the
// registry and the ports/ links), an empty device folder so that no serial
// port of the machine running the tests takes part, and a state folder that
// receives the trace files.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator_process.hpp"
#include "platform/automation.hpp"
#include "platform/registry.hpp"

namespace zirok::testing {

class LifecycleHome {
  public:
    LifecycleHome();
    ~LifecycleHome();
    LifecycleHome(const LifecycleHome&) = delete;
    LifecycleHome& operator=(const LifecycleHome&) = delete;

    const std::string& path() const { return home_.path(); }
    std::string portLink(int comNumber) const { return home_.portLink(comNumber); }
    // Detected devices live here: a ttyUSBn entry is a removable port.
    std::string devicePath(const std::string& node) const;
    // An ordinary file standing in for a serial device.
    void addFakeDevice(const std::string& node) const;
    void linkPort(int comNumber, const std::string& target) const;

    // The device's key, created on first use.
    platform::RegistryKey deviceKey(std::u16string_view deviceName = u"Zirok") const;

    std::string traceFolder() const;
    // The names of the trace files written so far.
    std::vector<std::string> traceFiles() const;
    // Every line of every trace file, without its time; a message's level
    // marker ("[warning] ", "[ERROR!] ") stays, and its closing ";" goes.
    std::vector<std::string> traceLines() const;
    std::vector<std::string> traceLinesStartingWith(std::string_view prefix) const;
    std::string traceText() const;
    // The command code (two hex digits) of every request traced as sent.
    std::vector<std::string> commandsSent() const;

  private:
    TempZirokHome home_;
};

// A control object that notes every call it receives and answers an error
// event with an error response, as a control object may.
class RecordingControl : public platform::Dispatch {
  public:
    struct Call {
        platform::DispId id;
        std::vector<std::int32_t> numbers;  // the arguments as they arrived
        bool lastByRef = false;
    };
    std::optional<platform::DispId> getIdsOfNames(std::u16string_view) const override {
        return std::nullopt;
    }
    platform::Variant invoke(platform::DispId id, unsigned,
                             std::vector<platform::Variant>& args) override {
        Call call{id, {}, !args.empty() && args.back().isByRef()};
        for (const platform::Variant& arg : args) call.numbers.push_back(arg.asInt());
        if (call.lastByRef) args.back().store(platform::Variant(std::int32_t{12}));
        calls.push_back(call);
        return {};
    }
    std::vector<Call> calls;
};

// Windows-1251 bytes of a text written as UTF-8 in the test source.
std::string cp1251(std::u16string_view text);

}  // namespace zirok::testing
