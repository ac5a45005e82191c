#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "logging/library/quill_source.hpp"

namespace zirok::quillog {

// The prefix a line of the given level carries; unknown levels carry none.
std::string_view levelPrefix(int level);

// The object behind a handle: a set of destinations that every message goes to.
class CQuillLogger {
  public:
    CQuillLogger() = default;
    CQuillLogger(const CQuillLogger&) = delete;
    CQuillLogger& operator=(const CQuillLogger&) = delete;
    ~CQuillLogger();

    // Never replaces: the same name added twice gives two instances.
    void addInstance(std::unique_ptr<IQuillSource> instance);
    void open();
    void close();
    // false when there is no instance or one of them dropped the line.
    bool write(std::string_view text, int level);

  private:
    struct TimeOfDay {
        std::uint16_t year = 0;
        std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
    };
    void readClock();

    std::vector<std::unique_ptr<IQuillSource>> instances_;
    int openCount_ = 0;
    TimeOfDay now_;
    std::string line_;
};

}  // namespace zirok::quillog
